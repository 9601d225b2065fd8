#include "loopback/LoopbackDeviceFile.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <cmath>
#include <limits>
#include <optional>

namespace solvena::devices {

namespace {

constexpr std::array<std::string_view, 10> kWaveInCalls{"caps",  "query",    "open",  "prepare",   "add",
                                                        "start", "position", "reset", "unprepare", "close"};
// The longest delay a line may ask for: ten minutes.
constexpr std::uint32_t kMaxDelayMs = 600000;
// A clock off by more than 1 % is a broken device, not a drifting one.
constexpr double kMaxClockPpm = 10000;
constexpr std::array<std::string_view, 9> kMidiOutCalls{"caps", "open",      "property", "restart", "position",
                                                        "prepare", "out", "unprepare", "close"};

enum class DeviceKind { none, midiOut, waveIn };

bool IsBlank(char c) { return c == ' ' || c == '\t'; }

// The position of the first blank, or the size when there is none.
std::size_t FirstBlank(std::string_view text) {
    return static_cast<std::size_t>(std::find_if(text.begin(), text.end(), IsBlank) - text.begin());
}

std::string_view TrimBlanks(std::string_view text) {
    while (!text.empty() && IsBlank(text.front())) text.remove_prefix(1);
    while (!text.empty() && IsBlank(text.back())) text.remove_suffix(1);
    return text;
}

// The text before a '#' comment, without surrounding blanks.
std::string_view ValueText(std::string_view text) {
    return TrimBlanks(text.substr(0, text.find('#')));
}

std::optional<std::uint32_t> ParseNumber(std::string_view text) {
    std::uint32_t value = 0;
    if (text.empty() || text.front() < '0' || text.front() > '9') return std::nullopt;
    auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (ec != std::errc() || end != text.data() + text.size()) return std::nullopt;
    return value;
}

// A decimal number, perhaps negative and with decimals.
std::optional<double> ParseDecimal(std::string_view text) {
    double value = 0;
    auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value, std::chars_format::fixed);
    const bool whole = !text.empty() && ec == std::errc() && end == text.data() + text.size();
    return whole && std::isfinite(value) ? std::optional<double>(value) : std::nullopt;
}

std::optional<AcceptedValues::Range> ParseRange(std::string_view item) {
    const std::size_t dash = item.find('-');
    const auto low = ParseNumber(TrimBlanks(item.substr(0, dash)));
    if (!low) return std::nullopt;
    if (dash == std::string_view::npos) return AcceptedValues::Range{*low, *low};
    const auto high = ParseNumber(TrimBlanks(item.substr(dash + 1)));
    if (!high || *high < *low) return std::nullopt;
    return AcceptedValues::Range{*low, *high};
}

// "none", or items separated by commas.
std::optional<AcceptedValues> ParseValues(std::string_view text) {
    AcceptedValues values;
    values.any = false;
    if (text == "none") return values;
    while (true) {
        const std::size_t comma = text.find(',');
        const auto range = ParseRange(TrimBlanks(text.substr(0, comma)));
        if (!range) return std::nullopt;
        values.ranges.push_back(*range);
        if (comma == std::string_view::npos) return values;
        text.remove_prefix(comma + 1);
    }
}

class Parser {
public:
    LoopbackParseResult Run(std::string_view bytes) {
        std::size_t lineNumber = 0;
        while (!bytes.empty()) {
            ++lineNumber;
            const std::size_t end = bytes.find('\n');
            std::string_view line = bytes.substr(0, end);
            bytes.remove_prefix(end == std::string_view::npos ? bytes.size() : end + 1);
            if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
            if (!ParseLine(line)) {
                LoopbackParseResult failed;
                failed.line = lineNumber;
                failed.error = std::move(error_);
                return failed;
            }
        }
        LoopbackParseResult result;
        result.ok = true;
        result.devices = std::move(devices_);
        return result;
    }

private:
    bool Fail(std::string message) {
        error_ = std::move(message);
        return false;
    }

    bool ParseLine(std::string_view line) {
        if (line.find('\0') != std::string_view::npos) return Fail("NUL byte");
        while (!line.empty() && IsBlank(line.front())) line.remove_prefix(1);
        if (line.empty() || line.front() == '#') return true;

        const std::size_t keywordEnd = FirstBlank(line);
        const std::string_view keyword = line.substr(0, keywordEnd);
        const std::string_view rest = line.substr(keywordEnd);
        if (keyword == "midiout" || keyword == "wavein") return AddDevice(keyword, rest);
        if (keyword == "rates") return SetValues(current_ ? &current_->rates : nullptr, keyword, rest);
        if (keyword == "bits") return SetValues(current_ ? &current_->bits : nullptr, keyword, rest);
        if (keyword == "channels") return SetValues(current_ ? &current_->channels : nullptr, keyword, rest);
        if (keyword == "startdelay") return SetDelay(current_ ? &current_->startDelay : nullptr, "wavein", keyword, rest, true);
        if (keyword == "opendelay") return SetDelay(MidiOut() ? &MidiOut()->openDelay : nullptr, "midiout", keyword, rest, true);
        if (keyword == "latency") return SetDelay(MidiOut() ? &MidiOut()->latency : nullptr, "midiout", keyword, rest, false);
        if (keyword == "dc") return SetDecimal(current_ ? &current_->dcPercent : nullptr, keyword, rest, -100, 100);
        if (keyword == "noise") {
            constexpr double kAnyLevel = std::numeric_limits<double>::lowest();
            return SetDecimal(current_ ? &current_->noiseDbfs : nullptr, keyword, rest, kAnyLevel, 0);
        }
        if (keyword == "clock") {
            return SetDecimal(current_ ? &current_->clockPpm : nullptr, keyword, rest, -kMaxClockPpm, kMaxClockPpm);
        }
        if (keyword == "dropout") return AddDropout(rest);
        if (keyword == "deaf") return SetDeaf(rest);
        if (keyword == "stall") return SetStall(rest);
        if (keyword == "fail") return AddFailure(rest);
        return Fail("unknown keyword \"" + std::string(keyword) + "\"");
    }

    bool AddDevice(std::string_view keyword, std::string_view rest) {
        if (rest.empty() || rest.front() != ' ') return Fail("a device line needs one space and then the name");
        const std::string_view name = rest.substr(1);
        if (name.size() > kMaxDeviceNameBytes) return Fail("device name longer than 31 bytes");
        if (keyword == "midiout") {
            devices_.midiOuts.emplace_back().name = std::string(name);
            kind_ = DeviceKind::midiOut;
            current_ = nullptr;
        } else {
            LoopbackWaveIn device;
            device.name = std::string(name);
            devices_.waveIns.push_back(std::move(device));
            kind_ = DeviceKind::waveIn;
            current_ = &devices_.waveIns.back();
        }
        return true;
    }

    bool SetValues(AcceptedValues* target, std::string_view keyword, std::string_view rest) {
        if (!target) return Fail(std::string(keyword) + " must follow a wavein line");
        if (!target->any) return Fail(std::string(keyword) + " given twice for one device");
        const auto values = ParseValues(ValueText(rest));
        if (!values) return Fail("bad " + std::string(keyword) + " list");
        *target = *values;
        return true;
    }

    bool SetDecimal(std::optional<double>* target, std::string_view keyword, std::string_view rest, double low,
                    double high) {
        if (!target) return Fail(std::string(keyword) + " must follow a wavein line");
        if (*target) return Fail(std::string(keyword) + " given twice for one device");
        const auto value = ParseDecimal(ValueText(rest));
        if (!value || *value < low || *value > high) return Fail("bad " + std::string(keyword) + " value");
        *target = value;
        return true;
    }

    bool SetDeaf(std::string_view rest) {
        if (!current_) return Fail("deaf must follow a wavein line");
        if (current_->deaf) return Fail("deaf given twice for one device");
        if (!ValueText(rest).empty()) return Fail("deaf takes no value");
        current_->deaf = true;
        return true;
    }

    bool AddDropout(std::string_view rest) {
        if (!current_) return Fail("dropout must follow a wavein line");
        const std::string_view text = ValueText(rest);
        const std::size_t blank = FirstBlank(text);
        const auto at = ParseNumber(text.substr(0, blank));
        const auto length = ParseNumber(TrimBlanks(text.substr(blank)));
        if (!at || !length || *at > kMaxDelayMs || *length > kMaxDelayMs) {
            return Fail("dropout needs two whole milliseconds, AT_MS and FOR_MS");
        }
        current_->dropouts.push_back({*at, *length});
        return true;
    }

    LoopbackMidiOut* MidiOut() { return kind_ == DeviceKind::midiOut ? &devices_.midiOuts.back() : nullptr; }

    bool SetDelay(DelayRange* target, const char* kind, std::string_view keyword, std::string_view rest,
                  bool rangeAllowed) {
        if (!target) return Fail(std::string(keyword) + " must follow a " + kind + " line");
        if (target->given) return Fail(std::string(keyword) + " given twice for one device");
        const std::string_view text = ValueText(rest);
        const auto range = ParseRange(text);
        const bool fixed = range && range->low == range->high && text.find('-') == std::string_view::npos;
        if (!range || range->high > kMaxDelayMs || (!rangeAllowed && !fixed)) {
            return Fail("bad " + std::string(keyword) + " milliseconds");
        }
        *target = DelayRange{true, range->low, range->high};
        return true;
    }

    bool AddFailure(std::string_view rest) {
        std::vector<InjectedFailure>* failures = nullptr;
        if (kind_ == DeviceKind::waveIn) failures = &current_->failures;
        if (kind_ == DeviceKind::midiOut) failures = &devices_.midiOuts.back().failures;
        if (!failures) return Fail("fail must follow a device line");

        std::string_view text = ValueText(rest);
        const std::size_t space = FirstBlank(text);
        const std::string_view call = text.substr(0, space);
        text = TrimBlanks(text.substr(space));
        const bool once = text.size() > 5 && text.substr(text.size() - 5) == " once";
        if (once) text = TrimBlanks(text.substr(0, text.size() - 5));
        std::uint32_t after = 0;
        if (const std::size_t at = text.find(" after "); at != std::string_view::npos) {
            const auto count = ParseNumber(TrimBlanks(text.substr(at + 7)));
            if (!count) return Fail("after needs a decimal count");
            after = *count;
            text = TrimBlanks(text.substr(0, at));
        }
        const auto code = ParseNumber(text);
        if (call.empty() || !code) return Fail("fail needs a call and a decimal code");
        const bool known = kind_ == DeviceKind::waveIn
                               ? std::find(kWaveInCalls.begin(), kWaveInCalls.end(), call) != kWaveInCalls.end()
                               : std::find(kMidiOutCalls.begin(), kMidiOutCalls.end(), call) != kMidiOutCalls.end();
        if (!known) return Fail("no call \"" + std::string(call) + "\" on this kind of device");
        for (const InjectedFailure& failure : *failures) {
            if (failure.call == call) return Fail("call \"" + std::string(call) + "\" fails twice");
        }
        failures->push_back(InjectedFailure{std::string(call), *code, after, once, 0});
        return true;
    }

    bool SetStall(std::string_view rest) {
        LoopbackMidiOut* device = MidiOut();
        if (!device) return Fail("stall must follow a midiout line");
        if (device->stallAfter) return Fail("stall given twice for one device");
        const std::string_view text = ValueText(rest);
        const auto count = text.substr(0, 6) == "after " ? ParseNumber(TrimBlanks(text.substr(6))) : std::nullopt;
        if (!count) return Fail("stall needs \"after N\"");
        device->stallAfter = *count;
        return true;
    }

    LoopbackDeviceSet devices_;
    DeviceKind kind_ = DeviceKind::none;
    // Stays valid: no wavein is added while it is in use.
    LoopbackWaveIn* current_ = nullptr;
    std::string error_;
};

bool FormatIsConsistent(const WaveFormat& format) {
    const std::uint32_t blockAlign = std::uint32_t{format.channels} * format.bitsPerSample / 8;
    return format.formatTag == 1 && format.blockAlign == blockAlign &&
           format.avgBytesPerSec == std::uint64_t{blockAlign} * format.samplesPerSec;
}

}  // namespace

bool AcceptedValues::Accepts(std::uint32_t value) const {
    if (any) return true;
    return std::any_of(ranges.begin(), ranges.end(),
                       [value](const Range& range) { return value >= range.low && value <= range.high; });
}

LoopbackParseResult ParseLoopbackDeviceFile(std::string_view bytes) { return Parser().Run(bytes); }

MmResult InjectedResult(const std::vector<InjectedFailure>& failures, std::string_view call) {
    for (const InjectedFailure& failure : failures) {
        if (failure.call == call && failure.after == 0) return failure.code;
    }
    return kMmNoError;
}

MmResult CountedInjectedResult(std::vector<InjectedFailure>& failures, std::string_view call) {
    for (InjectedFailure& failure : failures) {
        if (failure.call != call) continue;
        // Calls past the failing one of a "once" line succeed again.
        if (failure.made < failure.after || (failure.once && failure.made > failure.after)) {
            ++failure.made;
            return kMmNoError;
        }
        ++failure.made;
        return failure.code;
    }
    return kMmNoError;
}

std::string LoopbackMidiOutName(const LoopbackDeviceSet& devices, std::uint32_t id) {
    if (id >= devices.midiOuts.size()) return {};
    const LoopbackMidiOut& device = devices.midiOuts[id];
    return InjectedResult(device.failures, "caps") == kMmNoError ? device.name : std::string();
}

std::string LoopbackWaveInName(const LoopbackDeviceSet& devices, std::uint32_t id) {
    if (id >= devices.waveIns.size()) return {};
    const LoopbackWaveIn& device = devices.waveIns[id];
    return InjectedResult(device.failures, "caps") == kMmNoError ? device.name : std::string();
}

CaptureInput LoopbackCaptureInput(const LoopbackWaveIn& device) {
    return {device.dcPercent.value_or(0) / 100, device.noiseDbfs ? std::pow(10.0, *device.noiseDbfs / 20) : 0,
            device.deaf};
}

DeviceClock LoopbackDeviceClock(const LoopbackWaveIn& device) {
    DeviceClock clock{device.clockPpm.value_or(0), {}};
    for (const LoopbackWaveIn::DropoutLine& line : device.dropouts) {
        clock.dropouts.push_back(Dropout{line.atMs / 1000.0, line.forMs / 1000.0});
    }
    return clock;
}

bool LoopbackWaveInAccepts(const LoopbackWaveIn& device, const WaveFormat& format) {
    return FormatIsConsistent(format) && device.rates.Accepts(format.samplesPerSec) &&
           device.bits.Accepts(format.bitsPerSample) && device.channels.Accepts(format.channels);
}

MmResult LoopbackWaveInQuery(const LoopbackDeviceSet& devices, std::uint32_t id, const WaveFormat& format) {
    if (id >= devices.waveIns.size()) return kMmBadDeviceId;
    const LoopbackWaveIn& device = devices.waveIns[id];
    if (const MmResult injected = InjectedResult(device.failures, "query"); injected != kMmNoError) return injected;
    return LoopbackWaveInAccepts(device, format) ? kMmNoError : kWaveBadFormat;
}

}  // namespace solvena::devices
