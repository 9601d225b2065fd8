// The recording formats of the device settings page: the rate and depth tables, the formats
// used to probe a WAVE IN device for the leading table entries it accepts, the format the
// page's selections describe, and the texts of the page's list entries.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

#include "engine/DeviceSeam.h"

namespace solvena::devices {

// List position i of the rate and depth lists is always entry i of these tables, because
// probing only ever adds a leading part of them.
inline constexpr std::array<std::uint32_t, 6> sampleRates{8000, 11025, 22050, 44100, 96000, 192000};
inline constexpr std::array<std::uint16_t, 4> bitDepths{8, 16, 24, 32};
inline constexpr std::size_t kChannelChoices = 2;  // "MONORAL", "STEREO": position + 1 channels

// Positions selected when the lists are (re)built.
inline constexpr std::size_t kInitialRatePosition = 3;      // 44100
inline constexpr std::size_t kInitialDepthPosition = 1;     // 16 bit
inline constexpr std::size_t kInitialChannelsPosition = 1;  // STEREO

// PCM with block align = channels × bits / 8 and bytes per second = block align × rate.
WaveFormat PcmFormat(std::uint16_t channels, std::uint32_t samplesPerSec, std::uint16_t bitsPerSample);
// Stereo, 8 bits at the given rate.
WaveFormat RateProbeFormat(std::uint32_t samplesPerSec);
// Stereo, 22050 samples per second at the given depth.
WaveFormat DepthProbeFormat(std::uint16_t bitsPerSample);

// Asks the probe device about one format (WAVE_FORMAT_QUERY on the product).
using FormatQuery = std::function<MmResult(const WaveFormat&)>;

// How many leading entries of the table the device accepts: asking stops at the first
// refusal, so no later entry is ever tried.
std::size_t ProbeSampleRates(const FormatQuery& query);
std::size_t ProbeBitDepths(const FormatQuery& query);

// List entry texts: "44100Hz", "16 bit", "0: name".
std::string RateEntryText(std::uint32_t samplesPerSec);
std::string DepthEntryText(std::uint16_t bitsPerSample);
std::string DeviceEntryText(std::uint32_t deviceId, std::string_view name);

// A list selection as the list reports it; negative means nothing is selected.
using Selection = std::int64_t;
inline constexpr Selection kNoSelection = -1;

// The first list whose selection cannot be turned into a format, if any.
enum class MissingSelection { none, sampleRate, bitDepth, channels };

struct PageFormat {
    MissingSelection missing = MissingSelection::none;
    WaveFormat format;  // meaningful only when nothing is missing
};

// The format the rate, depth and channel selections describe. A selection that is negative or
// beyond its table names that list instead, so no table is read outside its entries.
PageFormat FormatFromSelections(Selection sampleRate, Selection bitDepth, Selection channels);

}  // namespace solvena::devices
