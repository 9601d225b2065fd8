#include "tools/songdump/Args.h"

#include <algorithm>
#include <array>

#include "song/Song.h"

namespace solvena {

const char* const kSongdumpUsage =
    "usage: songdump FILE [--tracks LIST] [--start-bar N --end-bar N | --start-tick N --end-tick N]\n"
    "                     [--reverb S] [--rate HZ] [--bits B] [--channels C]\n"
    "  LIST: comma-separated track numbers from 0, or \"all\" (default: 0)\n";

namespace {

// The only formats the device page can produce.
constexpr std::array<std::int32_t, 6> kSampleRates = {8000, 11025, 22050, 44100, 96000, 192000};
constexpr std::array<std::int32_t, 4> kBitDepths = {8, 16, 24, 32};

bool ParseTrackList(std::string_view text, SongdumpArgs& args, std::string& error) {
    args.tracksGiven = true;
    args.tracks.clear();
    if (text == "all") {
        args.allTracks = true;
        return true;
    }
    args.allTracks = false;
    std::size_t pos = 0;
    while (true) {
        const std::size_t comma = text.find(',', pos);
        const std::string_view item = text.substr(pos, comma == std::string_view::npos ? std::string_view::npos
                                                                                       : comma - pos);
        std::uint32_t number = 0;
        if (!ParseUInt32(item, number)) {
            error = "--tracks: \"" + std::string(item) + "\" is not a track number";
            return false;
        }
        if (number >= kMaxTracks) {
            error = "--tracks: track " + std::string(item) + " is beyond the 64-track table";
            return false;
        }
        args.tracks.push_back(number);
        if (comma == std::string_view::npos) break;
        pos = comma + 1;
    }
    std::sort(args.tracks.begin(), args.tracks.end());
    args.tracks.erase(std::unique(args.tracks.begin(), args.tracks.end()), args.tracks.end());
    return true;
}

template <std::size_t N>
bool OneOf(std::int32_t value, const std::array<std::int32_t, N>& table) {
    return std::find(table.begin(), table.end(), value) != table.end();
}

}  // namespace

bool ParseUInt32(std::string_view text, std::uint32_t& value) {
    if (text.empty()) return false;
    std::uint64_t v = 0;
    for (const char c : text) {
        if (c < '0' || c > '9') return false;
        v = v * 10 + static_cast<std::uint64_t>(c - '0');
        if (v > 0xFFFFFFFFull) return false;
    }
    value = static_cast<std::uint32_t>(v);
    return true;
}

bool ParseInt32(std::string_view text, std::int32_t& value) {
    bool negative = false;
    if (!text.empty() && (text[0] == '-' || text[0] == '+')) {
        negative = text[0] == '-';
        text.remove_prefix(1);
    }
    std::uint32_t magnitude = 0;
    if (!ParseUInt32(text, magnitude)) return false;
    if (negative ? magnitude > 0x80000000u : magnitude > 0x7FFFFFFFu) return false;
    value = negative ? static_cast<std::int32_t>(-static_cast<std::int64_t>(magnitude))
                     : static_cast<std::int32_t>(magnitude);
    return true;
}

bool ParseSongdumpArgs(int argc, const char* const* argv, SongdumpArgs& args, std::string& error) {
    bool startBarGiven = false, endBarGiven = false, startTickGiven = false, endTickGiven = false;
    for (int i = 1; i < argc; ++i) {
        const std::string_view arg = argv[i];
        if (arg.size() < 2 || arg.substr(0, 2) != "--") {
            if (!args.file.empty()) {
                error = "more than one file given";
                return false;
            }
            if (arg.empty()) {
                error = "empty file name";
                return false;
            }
            args.file = std::string(arg);
            continue;
        }
        if (i + 1 >= argc) {
            error = std::string(arg) + " needs a value";
            return false;
        }
        const std::string_view value = argv[++i];
        auto badNumber = [&] {
            error = std::string(arg) + ": \"" + std::string(value) + "\" is not a usable number";
            return false;
        };
        if (arg == "--tracks") {
            if (!ParseTrackList(value, args, error)) return false;
        } else if (arg == "--start-bar") {
            if (!ParseInt32(value, args.startBar)) return badNumber();
            startBarGiven = true;
        } else if (arg == "--end-bar") {
            if (!ParseInt32(value, args.endBar)) return badNumber();
            endBarGiven = true;
        } else if (arg == "--start-tick") {
            if (!ParseUInt32(value, args.startTick)) return badNumber();
            startTickGiven = true;
        } else if (arg == "--end-tick") {
            if (!ParseUInt32(value, args.endTick)) return badNumber();
            endTickGiven = true;
        } else if (arg == "--reverb") {
            if (!ParseInt32(value, args.reverbSeconds) || args.reverbSeconds < 0) return badNumber();
        } else if (arg == "--rate") {
            if (!ParseInt32(value, args.sampleRate) || !OneOf(args.sampleRate, kSampleRates)) return badNumber();
        } else if (arg == "--bits") {
            if (!ParseInt32(value, args.bitsPerSample) || !OneOf(args.bitsPerSample, kBitDepths)) return badNumber();
        } else if (arg == "--channels") {
            if (!ParseInt32(value, args.channels) || args.channels < 1 || args.channels > 2) return badNumber();
        } else {
            error = "unknown option " + std::string(arg);
            return false;
        }
    }
    if (args.file.empty()) {
        error = "no file given";
        return false;
    }
    const bool bars = startBarGiven || endBarGiven;
    const bool ticks = startTickGiven || endTickGiven;
    if (bars && ticks) {
        error = "give the range either in bars or in ticks, not both";
        return false;
    }
    if (bars && !(startBarGiven && endBarGiven)) {
        error = "--start-bar and --end-bar go together";
        return false;
    }
    if (ticks && !(startTickGiven && endTickGiven)) {
        error = "--start-tick and --end-tick go together";
        return false;
    }
    args.range = bars ? RangeKind::kBars : ticks ? RangeKind::kTicks : RangeKind::kNone;
    return true;
}

}  // namespace solvena
