#include "engine/FormatProbe.h"

namespace solvena::devices {

namespace {

constexpr std::uint16_t kProbeChannels = 2;
constexpr std::uint16_t kRateProbeBits = 8;
constexpr std::uint32_t kDepthProbeRate = 22050;

template <typename Table, typename MakeFormat>
std::size_t CountLeadingAccepted(const Table& table, MakeFormat make, const FormatQuery& query) {
    std::size_t accepted = 0;
    for (auto value : table) {
        if (query(make(value)) != kMmNoError) break;
        ++accepted;
    }
    return accepted;
}

bool InTable(Selection selection, std::size_t size) {
    return selection >= 0 && static_cast<std::uint64_t>(selection) < size;
}

}  // namespace

WaveFormat PcmFormat(std::uint16_t channels, std::uint32_t samplesPerSec, std::uint16_t bitsPerSample) {
    WaveFormat format;
    format.channels = channels;
    format.samplesPerSec = samplesPerSec;
    format.bitsPerSample = bitsPerSample;
    format.blockAlign = static_cast<std::uint16_t>(channels * bitsPerSample / 8);
    format.avgBytesPerSec = format.blockAlign * samplesPerSec;
    return format;
}

WaveFormat RateProbeFormat(std::uint32_t samplesPerSec) {
    return PcmFormat(kProbeChannels, samplesPerSec, kRateProbeBits);
}

WaveFormat DepthProbeFormat(std::uint16_t bitsPerSample) {
    return PcmFormat(kProbeChannels, kDepthProbeRate, bitsPerSample);
}

std::size_t ProbeSampleRates(const FormatQuery& query) {
    return CountLeadingAccepted(sampleRates, RateProbeFormat, query);
}

std::size_t ProbeBitDepths(const FormatQuery& query) {
    return CountLeadingAccepted(bitDepths, DepthProbeFormat, query);
}

std::string RateEntryText(std::uint32_t samplesPerSec) { return std::to_string(samplesPerSec) + "Hz"; }

std::string DepthEntryText(std::uint16_t bitsPerSample) { return std::to_string(bitsPerSample) + " bit"; }

std::string DeviceEntryText(std::uint32_t deviceId, std::string_view name) {
    std::string text = std::to_string(deviceId);
    text += ": ";
    text += name;
    return text;
}

PageFormat FormatFromSelections(Selection sampleRate, Selection bitDepth, Selection channels) {
    PageFormat result;
    if (!InTable(sampleRate, sampleRates.size())) {
        result.missing = MissingSelection::sampleRate;
    } else if (!InTable(bitDepth, bitDepths.size())) {
        result.missing = MissingSelection::bitDepth;
    } else if (!InTable(channels, kChannelChoices)) {
        result.missing = MissingSelection::channels;
    } else {
        result.format = PcmFormat(static_cast<std::uint16_t>(channels + 1),
                                  sampleRates[static_cast<std::size_t>(sampleRate)],
                                  bitDepths[static_cast<std::size_t>(bitDepth)]);
    }
    return result;
}

}  // namespace solvena::devices
