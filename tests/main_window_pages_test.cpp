// What the track page and the recording position page show, and the stacking decisions, from
// songs set up directly in a song record and track table.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "app/model/SongPictureModel.h"
#include "app/model/TrackPageModel.h"
#include "jobs/JobStacking.h"
#include "song/MusicalTime.h"
#include "support/SongHarness.h"

namespace solvena {
namespace {

struct PageSong {
    Song song;
    std::unique_ptr<TrackTable> tracks = std::make_unique<TrackTable>();

    // `count` tracks named "t0", "t1", ...; division 480, a conductor list with 4/4 at tick 0.
    explicit PageSong(std::uint32_t count) {
        song.trackCount = count;
        song.division = 480;
        song.ResetConductor();
        InsertConductorEntry(0, kTimeSignature, 4, 2, 0, song);
        for (std::uint32_t t = 0; t < count; ++t) (*tracks)[t].name = "t" + std::to_string(t);
    }
};

std::string InstrumentOf(const TrackInfo& track) { return "prog" + std::to_string(track.program); }

TEST(TrackPage, PagingByEightAndTheButtonsItAllows) {
    struct Case {
        std::uint32_t tracks;
        std::int32_t page;
        int usedRows;
        std::string firstCaption;
        bool previous, next;
    };
    for (const Case& c : {Case{9, 0, 9, "t0", false, false}, Case{17, 0, 16, "t0", false, true},
                          Case{17, 1, 9, "t8", true, false}, Case{20, 1, 12, "t8", true, false},
                          Case{20, 0, 16, "t0", false, true}, Case{64, 6, 16, "t48", true, false}}) {
        SCOPED_TRACE(std::to_string(c.tracks) + " tracks, page " + std::to_string(c.page));
        PageSong s(c.tracks);
        const TrackPageView view = BuildTrackPageView(s.song, *s.tracks, c.page, kChannelMode, InstrumentOf);
        int used = 0;
        for (const TrackRow& row : view.rows) used += row.used ? 1 : 0;
        EXPECT_EQ(used, c.usedRows);
        EXPECT_EQ(view.rows[0].caption, c.firstCaption);
        EXPECT_EQ(view.previousEnabled, c.previous);
        EXPECT_EQ(view.nextEnabled, c.next);
        const TrackRow& last = view.rows[15];
        if (!last.used) {
            EXPECT_EQ(last.caption, "未定義のトラック");
            EXPECT_EQ(last.info, "--");
            EXPECT_FALSE(last.checked);
        }
    }
}

TEST(TrackPage, RowTextsByDisplayModeAndTheSelectionFollowsItsTrack) {
    PageSong s(20);
    TrackInfo& t9 = (*s.tracks)[9];
    t9.port = 1;
    t9.channel = 3;
    t9.program = 4;
    t9.shownLength = 1234;
    t9.instrumentName = "Strings";
    t9.selected = 1;
    (*s.tracks)[10].name.reset();
    const char* const expected[] = {"B3", "prog4", "Strings", "1234"};
    for (std::int32_t mode = 0; mode < kDisplayModes; ++mode) {
        // Track 9 sits in row 9 of page 0 and in row 1 of page 1.
        for (auto [page, row] : {std::pair{0, 9}, std::pair{1, 1}}) {
            const TrackPageView view = BuildTrackPageView(s.song, *s.tracks, page, mode, InstrumentOf);
            EXPECT_EQ(view.rows[static_cast<std::size_t>(row)].info, expected[mode]) << "mode " << mode;
            EXPECT_TRUE(view.rows[static_cast<std::size_t>(row)].checked);
            EXPECT_EQ(view.rows[static_cast<std::size_t>(row) + 1].caption, "") << "a track without a name";
            for (int k = 0; k < kDisplayModes; ++k) EXPECT_EQ(view.modeEnabled[static_cast<std::size_t>(k)], k != mode);
        }
    }
    EXPECT_EQ(ChannelText(TrackInfo{}), "A0") << "a track without note-ons";
}

TEST(TrackPage, SizesStayThroughAFailedOpenAndTheRunsLoads) {
    test::SongHarness h;
    const test::TrackBuilder notes = test::TrackBuilder().Event(0, {0x90, 60, 100}).Event(480, {0x80, 60, 0}).EndOfTrack(0);
    ASSERT_TRUE(h.LoadAndScan(test::SmfBuilder(1, 2, 480).Track(notes).Track(test::TrackBuilder().EndOfTrack(0)).Bytes()));
    auto sizes = [&] {
        const TrackPageView view = BuildTrackPageView(h.song, h.tracks, 0, kSizeMode, InstrumentOf);
        return std::pair{view.rows[0].info, view.rows[1].info};
    };
    const auto opened = sizes();
    ASSERT_EQ(opened, (std::pair<std::string, std::string>{"13", "4"}));
    EXPECT_FALSE(h.Load(test::ByteVec{'M', 'T', 'h', 'd'})) << "not a song";
    EXPECT_EQ(sizes(), opened) << "a failed open keeps the song, sizes and all";
    ReleaseTrackBuffers(h.tracks);
    EXPECT_EQ(sizes(), opened) << "the run frees the bytes at every job";
}

TEST(SongPicture, GeometryFollowsTheLongestTrack) {
    PageSong s(25);
    for (std::uint32_t t = 0; t < 25; ++t) (*s.tracks)[t].endTick = 1920;
    (*s.tracks)[3].firstNoteTick = 960;
    (*s.tracks)[7].endTick = 3840;  // the longest: the scale
    const SongPictureModel picture = BuildSongPictureModel(s.song, *s.tracks);
    EXPECT_EQ(picture.maxEnd, 3840u);
    EXPECT_EQ(XOfTick(0, 3840), 50);
    EXPECT_EQ(XOfTick(3840, 3840), 450);
    ASSERT_EQ(picture.trackBars.size(), 25u);
    EXPECT_EQ(picture.trackBars[0], (PictureRect{50, 150, 200, 3}));
    EXPECT_EQ(picture.trackBars[3], (PictureRect{150, 159, 100, 3}));
    EXPECT_EQ(picture.trackBars[7], (PictureRect{50, 171, 400, 3}));
    EXPECT_EQ(picture.trackBars[24].y, 150 + 3 * 24) << "bars below the frame are still drawn";
    // Long songs: tick × 400 must not wrap at 32 bits.
    EXPECT_EQ(XOfTick(20000000, 40000000), 250);
    // A song with no length: everything at the frame's left edge.
    PageSong empty(2);
    const SongPictureModel flat = BuildSongPictureModel(empty.song, *empty.tracks);
    EXPECT_EQ(flat.maxEnd, 0u);
    EXPECT_EQ(flat.trackBars[1], (PictureRect{50, 153, 0, 3}));
}

TEST(SongPicture, ConductorLabels) {
    struct Case {
        std::uint32_t kind;
        std::uint8_t high, middle, low;
        std::string text;
    };
    for (const Case& c : {Case{kTempo, 0x07, 0xA1, 0x20, "120"}, Case{kTempo, 0, 0, 50, "999"},
                          Case{kTempo, 0, 0, 0, "999"}, Case{kTimeSignature, 3, 2, 0, "3/4"},
                          Case{kTimeSignature, 6, 3, 0, "6/8"}, Case{kTimeSignature, 12, 3, 0, "12"},
                          Case{kMarker, 'I', 'n', 't', "Int"}, Case{kCuePoint, 'A', 0, 'x', "A"},
                          Case{kMarker, 'A', 'B', 0x82, "AB"}}) {  // a double-byte character cut in half
        const ConductorEntry entry{0, c.kind << 24 | std::uint32_t{c.high} << 16 | std::uint32_t{c.middle} << 8 | c.low};
        EXPECT_EQ(ConductorLabelText(entry), c.text) << c.kind;
    }
    PageSong s(1);
    (*s.tracks)[0].endTick = 19200;
    InsertConductorEntry(960, kTempo, 0x07, 0xA1, 0x20, s.song);
    BuildBarLines(s.song, *s.tracks);
    const SongPictureModel picture = BuildSongPictureModel(s.song, *s.tracks);
    // The time signature, the tempo and the one major bar line (the ninth line).
    ASSERT_EQ(picture.labels.size(), 3u);
    EXPECT_EQ(picture.labels[0].rect, (PictureRect{43, 110, 15, 12}));
    EXPECT_EQ(picture.labels[1].rect, (PictureRect{63, 90, 15, 12}));
    EXPECT_EQ(picture.labels[2].kind, kMajorBarLine);
    EXPECT_EQ(picture.labels[2].rect, (PictureRect{XOfTick(9 * 1920, 19200) - 7, 130, 2, 80}));
    EXPECT_EQ(picture.endBar, LastBarNumber(s.song));
}

// A 4/4 song in C:\songs\ with tracks 0 and 2 selected. It ends mid-bar, at 18,240: its last
// bar line, 10, stands at 19,200, and the line at its end is no bar.
struct StackSong : PageSong {
    StackSong() : PageSong(3) {
        (*tracks)[0].endTick = 18240;
        (*tracks)[0].selected = 1;
        (*tracks)[2].selected = 1;
        BuildBarLines(song, *tracks);
        SetText(song.folder, "C:\\songs\\");
        SetText(song.path, "C:\\songs\\a.mid");
    }
};

StackInputs Inputs(const std::string& name, const std::string& start, const std::string& end) {
    StackInputs inputs;
    inputs.wavName = name;
    inputs.startBar = start;
    inputs.endBar = end;
    inputs.reverb = "3";
    inputs.sampleRate = 44100;
    inputs.bitsPerSample = 16;
    inputs.channels = 2;
    return inputs;
}

TEST(Stacking, RefusalsInTheOrderTheUserMeetsThem) {
    StackSong s;
    struct Case {
        StackInputs inputs;
        std::int32_t jobsInUse;
        StackRefusal refusal;
    };
    const Case cases[] = {
        {Inputs("take", "0", "8"), 0, StackRefusal::none},
        {Inputs("take", "0", "8"), 128, StackRefusal::tableFull},
        {Inputs("", "0", "8"), 0, StackRefusal::noWavName},
        {Inputs("take", "8", "8"), 0, StackRefusal::endNotAfterStart},
        {Inputs("take", "x", "1234"), 0, StackRefusal::noEndBar},  // read as 123: past the song
        {Inputs("take", "0", "99"), 0, StackRefusal::noEndBar},
        {Inputs("take", "9", "10"), 0, StackRefusal::none},
        {Inputs("take", "0", "11"), 0, StackRefusal::noEndBar},
        {Inputs("take", "10", "12"), 0, StackRefusal::noEndBar},  // 12: the song-end line's number
        {Inputs("take", "12", "13"), 0, StackRefusal::noStartBar},
        {Inputs("take", "-1", "5"), 0, StackRefusal::noStartBar},
        {Inputs(std::string(246, 'n'), "0", "8"), 0, StackRefusal::pathTooLong},  // with ".wav": 256
        {Inputs(std::string(242, 'n') + ".wav", "0", "8"), 0, StackRefusal::none},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.inputs.wavName.substr(0, 10) + " " + c.inputs.startBar + "-" + c.inputs.endBar);
        EXPECT_EQ(CheckStackInputs(c.inputs, s.song, c.jobsInUse), c.refusal);
    }
    EXPECT_EQ(StackRefusalText(StackRefusal::noEndBar, Inputs("t", "0", "12"), s.song),
              "録音終了小節 12 はこの曲にありません。\n最後の小節は 10 です。");
}

TEST(Stacking, EditsPathsAndTheJob) {
    for (auto [text, value] : {std::pair{"12", 12}, std::pair{"1234", 123}, std::pair{" 7x", 7}, std::pair{"-4", -4},
                               std::pair{"ab", 0}, std::pair{"", 0}}) {
        EXPECT_EQ(ReadEditNumber(text), value) << text;
    }
    for (auto [path, lacks] : {std::pair{"C:\\songs\\take1", true}, std::pair{"C:\\songs\\take1.WAV", true},
                               std::pair{"C:\\songs\\take1.wav", false}, std::pair{"C:\\v1.0\\take", true}}) {
        EXPECT_EQ(LacksWavExtension(path), lacks) << path;
    }
    StackSong s;
    std::vector<RecordingJob> stacked(3);
    SetText(stacked[1].wavPath, "C:\\songs\\take1");
    SetText(stacked[2].wavPath, "C:\\songs\\take1");
    EXPECT_EQ(JobWithWavPath(stacked, JoinedWavPath(s.song, Inputs("take1", "0", "8"))), 1);
    EXPECT_FALSE(JobWithWavPath(stacked, "C:\\songs\\TAKE1")) << "case matters";

    const RecordingJob job = MakeStackedJob(s.song, *s.tracks, Inputs("take1", "0", "8"), "C:\\songs\\take1.wav");
    EXPECT_EQ(TextOf(job.midiPath), "C:\\songs\\a.mid");
    EXPECT_EQ(job.startTick, 0);
    EXPECT_EQ(job.endTick, 8 * 1920);
    EXPECT_EQ(job.expectedSeconds, 16 + 3);
    EXPECT_EQ(job.trackEnabled[0] + job.trackEnabled[1] + job.trackEnabled[2], 2);
    EXPECT_EQ(job.trackEnabled[2], 1);
    EXPECT_EQ(job.enabled, 1);
    EXPECT_EQ(MakeStackedJob(s.song, *s.tracks, Inputs("take1", "9", "10"), "C:\\songs\\take1.wav").endTick, 10 * 1920)
        << "the last bar's line lies past the song's end";
}

}  // namespace
}  // namespace solvena
