// トラック別 from songs as the open command reads them: which ticked tracks become jobs and which
// play along in every job, the jobs' file names (code page 932, the path's limit) and the refusals.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "jobs/JobRowText.h"
#include "jobs/StemJobs.h"
#include "song/MusicalTime.h"
#include "support/SongHarness.h"

namespace solvena {
namespace {

using test::TrackBuilder;

enum class Kind { tempo, sysex, controllers, silentNotes, notes, runningNotes };

struct Track {
    Kind kind;
    const char* name = nullptr;
    const char* instrument = nullptr;
    bool ticked = true;
};

TrackBuilder Build(const Track& track) {
    TrackBuilder t;
    if (track.name) t.Text(0, 0x03, track.name);
    if (track.instrument) t.Text(0, 0x04, track.instrument);
    switch (track.kind) {
        case Kind::tempo: t.Tempo(0, 500000).TimeSignature(0, 4, 2); break;
        case Kind::sysex: t.Event(0, {0xF0, 0x05, 0x7E, 0x7F, 0x09, 0x01, 0xF7}); break;
        case Kind::controllers: t.Event(0, {0xB0, 7, 100}).Event(0, {0xB0, 10, 64}); break;
        case Kind::silentNotes: t.Event(0, {0x90, 60, 0}).Event(240, {0x90, 62, 0}); break;
        case Kind::notes: t.Event(0, {0x90, 60, 100}).Event(240, {0x80, 60, 0}); break;
        // The first note-on is silent; the sounding one borrows its status.
        case Kind::runningNotes: t.Event(0, {0x90, 60, 0}).Event(240, {62, 100}); break;
    }
    return t.EndOfTrack(4 * 1920);
}

std::string Folder(std::size_t length) { return "C:\\" + std::string(length - 4, 'f') + "\\"; }

TEST(StemJobs, WhichTracksTheNamesAndTheRefusals) {
    const std::string songs = "C:\\songs\\";
    const Track tempo{Kind::tempo, "Title"};
    struct Case {
        const char* what;
        std::vector<Track> tracks;
        std::string wavName;
        std::vector<std::pair<std::string, std::string>> jobs;  // file after the folder, track column
        std::string refusal;
        std::string folder = "C:\\songs\\";
        std::int32_t jobsInUse = 0;
    };
    const Case cases[] = {
        {"set-up tracks and silent note-ons play along; running status sounds",
         {tempo, {Kind::sysex}, {Kind::notes, "Bass"}, {Kind::controllers}, {Kind::silentNotes, "Ghost"},
          {Kind::runningNotes, "Lead"}, {Kind::notes, "Drums", nullptr, false}},
         "mix.wav", {{"mix_02_Bass.wav", " 0 1 2 3 4"}, {"mix_05_Lead.wav", " 0 1 3 4 5"}}, ""},
        {"names: refused characters, double-byte characters, the instrument name, none",
         {tempo, {Kind::notes, "Gt: L/R?"}, {Kind::notes, "\x83\x5C\x83\x8D|"}, {Kind::notes, nullptr, "Str*ings. "},
          {Kind::notes}, {Kind::notes, "Pf"}, {Kind::notes, "Pf"}, {Kind::notes, "..", "Organ"},
          {Kind::notes, "a\tb\x83"}},
         "take.WAV",
         {{"take_01_Gt_ L_R_.wav", " 0 1"}, {"take_02_\x83\x5C\x83\x8D_.wav", " 0 2"}, {"take_03_Str_ings.wav", " 0 3"},
          {"take_04.wav", " 0 4"}, {"take_05_Pf.wav", " 0 5"}, {"take_06_Pf.wav", " 0 6"},
          {"take_07_Organ.wav", " 0 7"}, {"take_08_a_b_.wav", " 0 8"}},
         ""},
        {"a long folder shortens the name between characters, then drops the blank the cut left",
         {{Kind::notes, "\x83\x5C\x83\x8D\x83\x5C"}, {Kind::notes, "ab cd"}}, "s",
         {{"s_00_\x83\x5C.wav", " 0"}, {"s_01_ab.wav", " 1"}}, "", Folder(243)},
        {"no room for a name at all", {tempo, {Kind::notes, "Bass"}}, "s", {{"s_01.wav", " 0 1"}}, "", Folder(247)},
        {"no room for the number either", {tempo, {Kind::notes, "Bass"}}, "s", {},
         "WAVファイルのパスが長すぎます。(255文字まで)", Folder(248)},
        {"no ticked track sounds", {tempo, {Kind::silentNotes}, {Kind::notes, "Bass", nullptr, false}}, "mix", {},
         "チェックしたトラックにノートがありません。"},
        {"the pages' refusals come first", {tempo, {Kind::notes}}, "", {}, "WAVファイル名を入力してください。"},
        {"a table with room for one job less", {{Kind::notes}, {Kind::notes}}, "mix", {},
         "ジョブは128件までしかスタックできません。\n空きは 1 件です。(トラック別のジョブは 2 件)", songs, 127},
        {"a table with room for all", {{Kind::notes}, {Kind::notes}}, "mix", {{"mix_00.wav", " 0"}, {"mix_01.wav", " 1"}},
         "", songs, 126},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        test::SmfBuilder file(1, static_cast<std::uint16_t>(c.tracks.size()), 480);
        for (const Track& track : c.tracks) file.Track(Build(track));
        test::SongHarness h;
        ASSERT_TRUE(h.LoadAndScan(file.Bytes()));
        BuildBarLines(h.song, h.tracks);
        for (std::size_t t = 0; t < c.tracks.size(); ++t) h.tracks[t].selected = c.tracks[t].ticked ? 1 : 0;
        SetText(h.song.folder, c.folder);
        SetText(h.song.path, c.folder + "a.mid");
        StackInputs inputs;
        inputs.wavName = c.wavName;
        inputs.startBar = "0";
        inputs.endBar = "2";
        const StemSet set = PlanStemJobs(h.song, h.tracks, inputs, c.jobsInUse);
        EXPECT_EQ(set.refusal, c.refusal);
        std::vector<std::pair<std::string, std::string>> jobs;
        for (const RecordingJob& job : set.jobs) {
            EXPECT_EQ(TextOf(job.wavPath).substr(0, c.folder.size()), c.folder);
            EXPECT_LE(TextOf(job.wavPath).size(), kJoinedPathLimit);
            EXPECT_EQ(job.endTick, 2 * 1920);
            jobs.emplace_back(TextOf(job.wavPath).substr(c.folder.size()), TrackNumbersText(job.trackEnabled));
        }
        EXPECT_EQ(jobs, c.jobs);
        if (&c == &cases[0]) {  // the question, and the one about names already stacked
            EXPECT_EQ(set.question,
                      "チェックした 2 トラックを、1トラックずつ 2 個のジョブとしてスタックしますか？\n\n"
                      "mix_02_Bass.wav\nmix_05_Lead.wav\n\nノートのないトラック 0, 1, 3, 4 は、どのジョブでも一緒に演奏します。");
            std::vector<RecordingJob> stacked(2);
            SetText(stacked[0].wavPath, songs + "MIX_02_Bass.wav");  // case matters, as for スタック
            SetText(stacked[1].wavPath, songs + "mix_05_Lead.wav");
            EXPECT_EQ(StemsAlreadyStacked(stacked, set.jobs), 1u);
        }
    }
}

}  // namespace
}  // namespace solvena
