// The loopback device file: the virtual MIDI OUT and WAVE IN devices of the test build, read
// from loopback-devices.txt beside the executable. A missing file means a system without
// devices.
//
// Format (raw bytes; lines end with LF, and one CR before the LF is dropped):
//
//   # a comment: any line whose first non-blank character is '#'
//   midiout NAME          a MIDI OUT device; numbers follow the order of the midiout lines
//   wavein NAME           a WAVE IN device; numbers follow the order of the wavein lines
//     rates VALUES        sample rates the last wavein device accepts
//     bits VALUES         bits per sample it accepts
//     channels VALUES     channel counts it accepts
//     startdelay MS       it delivers its first frame MS milliseconds after its start;
//     startdelay MS-MS    with a range, a random whole number in it, drawn at every start.
//                         The sound of that stretch is never captured; those frames are not
//                         counted as lost; the position call reports 0 until then.
//     dc PERCENT          it records a constant offset of PERCENT of full scale, -100 to 100
//                         (may be negative and have decimals: "dc -0.6")
//     noise DBFS          it records white noise of that RMS level, at most 0 ("noise -65"),
//                         the same at every open of the device
//     deaf                it records none of the synthesizer, only its own offset and noise
//     clock PPM           its sample clock runs PPM parts per million fast against the studio's
//                         (slow when negative; decimals allowed; at most 10000 either way):
//                         at "clock 2000" a 44,100 Hz device delivers 44,188.2 frames a second
//     dropout AT_MS FOR_MS   AT_MS after its first frame it captures nothing for FOR_MS, as a
//                         device whose queue ran dry: those frames never arrive and its position
//                         does not count them; the frames after keep their true times. May be
//                         given again for more dropouts, in any order; overlapping ones merge.
//   midiout NAME
//     opendelay MS | MS-MS   its stream's open returns only after MS milliseconds (a slow
//                         driver), drawn at every open when a range is given
//     latency MS          its synthesizer sounds every event MS milliseconds after its time
//     stall after N       after N stream buffers have played, the device plays nothing more and
//                         sends no further notification (a hung driver)
//   fail CALL CODE        the last device answers CALL with result CODE (decimal) instead
//   fail CALL CODE after N    the same, once N calls of CALL through one open handle have
//                         succeeded (for calls made on a handle: to fail a buffer's recycling
//                         but not the start, for instance)
//   fail CALL CODE [after N] once   only that one call fails; the calls after it succeed
//
// Keywords are lower case and may be indented with blanks or tabs. NAME is the rest of the
// line after the single space that follows the keyword, byte for byte: blanks inside or at
// the end, '#' and code page 932 bytes are all part of it, and "midiout " followed by nothing
// names a device with an empty name. A name may hold at most 31 bytes (what the system's
// capabilities record carries) and no NUL byte.
//
// VALUES is a comma-separated list of numbers and inclusive ranges, blanks allowed around
// each item, optionally followed by a '#' comment: "rates 8000-44100", "bits 8, 16",
// "channels 2". Without a rates, bits or channels line a device accepts any value for it.
// A format is also refused unless it is PCM with block align = channels × bits / 8 and bytes
// per second = block align × rate, as a real driver refuses an inconsistent record.
//
// CALL names one call of the device's kind. WAVE IN: caps, query, open, prepare, add, start,
// position, reset, unprepare, close. MIDI OUT: caps, open, property, restart, position, prepare, out,
// unprepare, close. A failed caps call reports an empty name; a failed query answers CODE whatever the
// format. Useful codes: 2 bad device id, 4 allocated, 7 no memory, 32 bad format.
//
// Any other line, a property or fail line before the first device, a property line that the
// last device's kind does not have, a property given twice for one device, or a call listed
// twice for one device makes the whole file invalid (a dropout line may come more than once).
// MS, AT_MS and FOR_MS are whole numbers up to 600000.
//
// The seam's calls and the CALL that makes each fail (engine/DeviceSeam.h):
//   MidiOutName caps · MidiStreamOpen open · MidiStreamSetTimeDivision property ·
//   MidiStreamSetTempo property · MidiStreamRestart restart · MidiStreamPositionMs position ·
//   MidiStreamPrepare prepare · MidiStreamOut out · MidiStreamUnprepare unprepare ·
//   MidiStreamClose close
//   WaveInName caps · WaveInQuery query · WaveInOpen open · WaveInPrepare prepare · WaveInAdd add ·
//   WaveInStart start · WaveInPosition position · WaveInReset reset · WaveInUnprepare unprepare ·
//   WaveInClose close
// A failing call answers CODE and changes nothing: no handle is made or closed, no header flag
// is touched, nothing is queued, started or stopped. Open looks at the device number asked for
// (a number past the last device answers 2 first); the other calls look at the device of their
// handle (an unknown or closed handle answers 5 first), as its lines were when it was opened.
//
// The devices play and record (loopback/seam/LoopbackStudio.h): every MIDI OUT device plays into
// one synthesizer (loopback/VirtualSynth.h) on one clock, which every WAVE IN device records
// (loopback/VirtualCapture.h, loopback/PcmFrame.h); stream timing is in loopback/VirtualStream.h.
// Beyond the codes above, a device is open to one handle at a time (4 allocated); WAVE IN opens
// only a format its lines accept and the studio can write (PCM, 1 or 2 channels of 8, 16, 24
// or 32 bits; else 32); a time division must be 1-32767 ticks per quarter and a tempo
// 1-0xFFFFFF microseconds per quarter (else 11); a null pointer argument answers 11. Loading
// another file closes every open device first: queued headers are marked done without
// notifications.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "engine/DeviceSeam.h"
#include "loopback/VirtualCapture.h"

namespace solvena::devices {

inline constexpr std::size_t kMaxDeviceNameBytes = 31;

// Inclusive ranges of accepted values; accepts everything until a list is given.
struct AcceptedValues {
    bool any = true;
    struct Range {
        std::uint32_t low = 0;
        std::uint32_t high = 0;
    };
    std::vector<Range> ranges;

    bool Accepts(std::uint32_t value) const;
};

struct InjectedFailure {
    std::string call;
    MmResult code = kMmNoError;
    std::uint32_t after = 0;  // calls that succeed first (counted per open handle)
    bool once = false;        // only the call after those fails
    std::uint32_t made = 0;   // calls counted so far on this copy
};

// Milliseconds, fixed (low = high) or drawn from the range; none until its line is given.
struct DelayRange {
    bool given = false;
    std::uint32_t low = 0;
    std::uint32_t high = 0;
};

struct LoopbackMidiOut {
    std::string name;
    std::vector<InjectedFailure> failures;
    DelayRange openDelay;
    DelayRange latency;  // low = high
    std::optional<std::uint32_t> stallAfter;  // stream buffers it plays before it hangs
};

struct LoopbackWaveIn {
    std::string name;
    AcceptedValues rates;
    AcceptedValues bits;
    AcceptedValues channels;
    DelayRange startDelay;
    std::optional<double> dcPercent;
    std::optional<double> noiseDbfs;
    bool deaf = false;
    std::optional<double> clockPpm;
    struct DropoutLine {
        std::uint32_t atMs = 0;
        std::uint32_t forMs = 0;
    };
    std::vector<DropoutLine> dropouts;  // in the order of their lines
    std::vector<InjectedFailure> failures;
};

struct LoopbackDeviceSet {
    std::vector<LoopbackMidiOut> midiOuts;
    std::vector<LoopbackWaveIn> waveIns;
};

struct LoopbackParseResult {
    bool ok = false;
    LoopbackDeviceSet devices;  // empty unless ok
    std::size_t line = 0;       // 1-based line of the first fault
    std::string error;          // what is wrong on that line
};

LoopbackParseResult ParseLoopbackDeviceFile(std::string_view bytes);

// The code a device's file injects for a call; kMmNoError when none.
MmResult InjectedResult(const std::vector<InjectedFailure>& failures, std::string_view call);
// The same for a call made through an open handle, counting it against the line's "after N".
MmResult CountedInjectedResult(std::vector<InjectedFailure>& failures, std::string_view call);

// The device name as the capabilities call reports it: empty for a number that is not a
// device or when caps is made to fail.
std::string LoopbackMidiOutName(const LoopbackDeviceSet& devices, std::uint32_t id);
std::string LoopbackWaveInName(const LoopbackDeviceSet& devices, std::uint32_t id);
// What the device records besides (or, deaf, instead of) the synthesizer.
CaptureInput LoopbackCaptureInput(const LoopbackWaveIn& device);
// How the device's sample clock runs against the studio's and where it drops out.
DeviceClock LoopbackDeviceClock(const LoopbackWaveIn& device);
// Whether the device's rates, bits and channels lines accept a consistent PCM format.
bool LoopbackWaveInAccepts(const LoopbackWaveIn& device, const WaveFormat& format);
// The answer to WAVE_FORMAT_QUERY: bad device id, the injected query result, bad format, or
// success.
MmResult LoopbackWaveInQuery(const LoopbackDeviceSet& devices, std::uint32_t id, const WaveFormat& format);

}  // namespace solvena::devices
