#include "tools/songdump/Args.h"

#include <algorithm>
#include <charconv>
#include <cstdint>
#include <cstdio>
#include <iostream>

#include <CLI/CLI.hpp>

#include "song/Song.h"

namespace solvena {

namespace {

constexpr const char* kMoreHelp = "Run with --help for more information.\n";

// Plain decimal only, as songdump always read its numbers: the library's own conversion also
// takes 0x1f and reads a leading zero as octal, so "010" would be eight. Dropping the leading
// zeros (and a plus sign) leaves text that every base reads as the same decimal number; the
// library then checks that it fits the option's type.
CLI::Validator Decimal(bool sign) {
    return CLI::Validator(
        [sign](std::string& text) -> std::string {
            const bool negative = sign && text.starts_with('-');
            const std::size_t from = negative || (sign && text.starts_with('+')) ? 1 : 0;
            const std::size_t digits = text.find_first_not_of("0123456789", from);
            if (text.size() == from || digits != std::string::npos) return "\"" + text + "\" is not a usable number";
            text = (negative ? "-" : "") + text.substr(std::min(text.find_first_not_of('0', from), text.size() - 1));
            return {};
        },
        "");
}

void ParseTrackList(const std::string& text, SongdumpArgs& args) {
    args.tracksGiven = true;
    args.allTracks = text == "all";
    args.tracks.clear();
    if (args.allTracks) return;
    std::size_t pos = 0;
    while (true) {
        const std::size_t comma = std::min(text.find(',', pos), text.size());
        const std::string item = text.substr(pos, comma - pos);
        std::uint32_t number = 0;
        const auto [end, error] = std::from_chars(item.data(), item.data() + item.size(), number);
        if (error != std::errc{} || end != item.data() + item.size())
            throw CLI::ValidationError("--tracks", "\"" + item + "\" is not a track number");
        if (number >= kMaxTracks)
            throw CLI::ValidationError("--tracks", "track " + item + " is beyond the 64-track table");
        args.tracks.push_back(number);
        if (comma == text.size()) break;
        pos = comma + 1;
    }
    std::sort(args.tracks.begin(), args.tracks.end());
    args.tracks.erase(std::unique(args.tracks.begin(), args.tracks.end()), args.tracks.end());
}

}  // namespace

int BadArgument(const std::string& message) {
    std::fprintf(stderr, "songdump: %s\n%s", message.c_str(), kMoreHelp);
    return 2;
}

std::optional<int> ParseSongdumpArgs(int argc, const char* const* argv, SongdumpArgs& args) {
    CLI::App app("Prints a MIDI file's song model, and the job a range would make, as JSON.", "songdump");
    // A repeated option keeps its last value, as it always did.
    app.option_defaults()->multi_option_policy(CLI::MultiOptionPolicy::TakeLast);
    app.failure_message([](const CLI::App* self, const CLI::Error& e) {
        return "songdump: " + CLI::FailureMessage::simple(self, e);
    });

    app.add_option("FILE", args.file, "the MIDI file")->required()->check(
        [](const std::string& file) -> std::string { return file.empty() ? "empty file name" : ""; });
    app.add_option_function<std::string>(
        "--tracks", [&args](const std::string& text) { ParseTrackList(text, args); },
        "comma-separated track numbers from 0, or \"all\" (default: 0)");
    CLI::Option* startBar = app.add_option("--start-bar", args.startBar, "the range in bars")->transform(Decimal(true));
    CLI::Option* endBar = app.add_option("--end-bar", args.endBar)->transform(Decimal(true));
    CLI::Option* startTick =
        app.add_option("--start-tick", args.job.startTick, "the range in ticks")->transform(Decimal(false));
    CLI::Option* endTick = app.add_option("--end-tick", args.job.endTick)->transform(Decimal(false));
    app.add_option("--reverb", args.job.reverbSeconds, "reverb tail in seconds")
        ->transform(Decimal(true))
        ->check(CLI::Range(0, INT32_MAX));
    // The only formats the device page can produce.
    app.add_option("--rate", args.job.sampleRate, "sample rate in Hz")
        ->transform(Decimal(true))
        ->check(CLI::IsMember({8000, 11025, 22050, 44100, 96000, 192000}));
    app.add_option("--bits", args.job.bitsPerSample, "bits per sample")
        ->transform(Decimal(true))
        ->check(CLI::IsMember({8, 16, 24, 32}));
    app.add_option("--channels", args.job.channels, "1 or 2")->transform(Decimal(true))->check(CLI::Range(1, 2));
    startBar->needs(endBar)->excludes(startTick)->excludes(endTick);
    endBar->needs(startBar)->excludes(startTick)->excludes(endTick);
    startTick->needs(endTick);
    endTick->needs(startTick);

    try {
        app.parse(argc, argv);
    } catch (const CLI::ParseError& e) {
        return app.exit(e, std::cout, std::cerr) == 0 ? 0 : 2;
    }
    args.range = startBar->count() > 0    ? RangeKind::kBars
                 : startTick->count() > 0 ? RangeKind::kTicks
                                          : RangeKind::kNone;
    return std::nullopt;
}

}  // namespace solvena
