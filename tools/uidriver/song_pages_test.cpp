// Opening songs and stacking jobs as a person would: the open dialog, the track page's paging and
// toggles, the recording position page's markers, each refusal and question of スタック, the whole
// road from a MIDI file to WAV files, and a song recorded as stems with トラック別.
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "CommonControls.h"
#include "FileDialogs.h"
#include "Input.h"
#include "MessageBoxes.h"
#include "Query.h"
#include "RecordingRun.h"
#include "support/RunSongs.h"

namespace uidriver {
namespace {

using solvena::test::ManyTrackSong;
using solvena::test::PartsSong;
using solvena::test::ShowcaseSong;

constexpr int kMarkerId = 3;
constexpr std::uint32_t kShowcaseEnd = 28800;  // 16 bars: 8 of 4/4, 4 of 3/4, 4 of 4/4

int XOfTick(std::uint32_t tick) { return static_cast<int>(std::uint64_t{tick} * 400 / kShowcaseEnd) + 50; }

class SongPages : public RecordingRun {
protected:
    HWND Toggle(int row) { return Control(Numbered("trackToggles ", row)); }
    HWND Info(int row) { return Control(Numbered("trackInfoLabels ", row)); }
    bool Checked(int row) { return AskOr(Toggle(row), BM_GETCHECK, 0, 0, -1) == BST_CHECKED; }
    // The paging and mode buttons open no box.
    bool Press(const std::string& name) { return ClickAndWait(Control(name)); }

    // The two markers: the main window's statics with the marker id, start first.
    RECT Marker(std::size_t which) {
        std::vector<HWND> markers;
        for (HWND child : ChildrenOf(Main())) {
            if (IdOf(child) == kMarkerId && SameClass(child, "Static")) markers.push_back(child);
        }
        EXPECT_EQ(markers.size(), 2u);
        return which < markers.size() ? RectInParent(markers[which]) : RECT{};
    }

    // Presses スタック (or another button) and answers `expected` boxes in turn (then makes sure no
    // other comes); the boxes seen, as (caption, text).
    std::vector<std::pair<AnsiText, AnsiText>> Stack(std::vector<int> answers, std::size_t expected,
                                                     const char* button = "stackButton") {
        std::vector<std::pair<AnsiText, AnsiText>> seen;
        if (!Click(Control(button))) return seen;
        while (auto box = WaitForMessageBox(Run().processId(), seen.size() < expected ? 5000 : 300)) {
            seen.emplace_back(box->caption, box->text);
            const int answer = answers.empty() ? IDOK : answers.front();
            if (!answers.empty()) answers.erase(answers.begin());
            AnswerMessageBox(*box, answer);
        }
        Settle(Main());
        return seen;
    }
};

TEST_F(SongPages, ATypedPathOpensTheSongAndTheTrackPagePagesBothWays) {
    ASSERT_TRUE(Launch({std::nullopt, kStudio}));
    ASSERT_TRUE(OpenSong(Put("twenty.mid", ManyTrackSong(20))));
    EXPECT_EQ(TextOf(Control("songFileLabel")), AnsiText("twenty.mid"));
    for (int row = 0; row < 16; ++row) {
        SCOPED_TRACE(row);
        EXPECT_EQ(TextOf(Toggle(row)), AnsiText((Numbered("Track ", row)).c_str()));
        EXPECT_EQ(TextOf(Info(row)), AnsiText((Numbered("A", row % 16 + 1)).c_str()));
        EXPECT_EQ(Checked(row), row == 0) << "after a load only track 0 is chosen";
    }
    EXPECT_FALSE(IsWindowEnabled(Control("prevPageButton")));
    EXPECT_TRUE(IsWindowEnabled(Control("nextPageButton")));
    EXPECT_FALSE(IsWindowEnabled(Control("modeButtons 0"))) << "the current mode's button";
    EXPECT_TRUE(IsWindowEnabled(Control("stackButton")));

    ASSERT_TRUE(Press("nextPageButton"));
    EXPECT_EQ(TextOf(Toggle(0)), AnsiText("Track 8"));
    EXPECT_EQ(TextOf(Toggle(11)), AnsiText("Track 19"));
    EXPECT_EQ(TextOf(Toggle(12)), AnsiText("未定義のトラック"));
    EXPECT_EQ(TextOf(Info(12)), AnsiText("--"));
    EXPECT_FALSE(IsWindowEnabled(Toggle(12)));
    EXPECT_FALSE(IsWindowEnabled(Control("nextPageButton")));
    // A posted click is no barrier by itself: each one's effect is waited for.
    ASSERT_TRUE(Click(Toggle(0)) && WaitUntil([&] { return Checked(0); }, 5000));  // track 8, in the left column now
    ASSERT_TRUE(Press("prevPageButton") &&
                WaitUntil([&] { return TextOf(Toggle(0)) == AnsiText("Track 0"); }, 5000));
    EXPECT_TRUE(Checked(8)) << "track 8 keeps its choice in the right column";
    EXPECT_TRUE(Checked(0));
    ASSERT_TRUE(Press("modeButtons 3"));
    EXPECT_EQ(TextOf(Info(0)), AnsiText("24")) << "size: the track's bytes";
    EXPECT_TRUE(IsWindowEnabled(Control("modeButtons 0")));
}

TEST_F(SongPages, ACancelledOpenAndAnUnreadableFileKeepTheSong) {
    ASSERT_TRUE(Launch({std::nullopt, kStudio}));
    ASSERT_TRUE(OpenSong(Put("showcase.mid", ShowcaseSong(4))));
    const AnsiText title = TextOf(Control("songTitleLabel"));
    EXPECT_EQ(title, AnsiText("Showcase"));
    ASSERT_TRUE(Click(Control("openButton")));
    auto dialog = WaitForFileDialog(Run().processId(), 10000);
    ASSERT_TRUE(dialog) << "no open dialog";
    ASSERT_TRUE(CancelFileDialog(*dialog));
    Settle(Main());
    EXPECT_EQ(TextOf(Control("songFileLabel")), AnsiText("showcase.mid"));

    ASSERT_TRUE(Press("modeButtons 3"));
    const AnsiText size = TextOf(Info(1));
    const std::string garbage = Put("garbage.mid", std::string("not a song at all"));
    ASSERT_TRUE(Click(Control("openButton")));
    dialog = WaitForFileDialog(Run().processId(), 10000);
    ASSERT_TRUE(dialog) << "no open dialog";
    ASSERT_TRUE(ChooseInFileDialog(*dialog, garbage));
    auto told = WaitForMessageBox(Run().processId(), 5000);
    ASSERT_TRUE(told) << "an unreadable file is told";
    EXPECT_EQ(told->caption, AnsiText("エラー"));
    EXPECT_NE(told->text.bytes.find("garbage.mid"), std::string::npos);
    ASSERT_TRUE(AnswerMessageBox(*told, IDOK));
    Settle(Main());
    EXPECT_EQ(TextOf(Control("songFileLabel")), AnsiText("showcase.mid"));
    EXPECT_EQ(TextOf(Control("songTitleLabel")), title);
    EXPECT_EQ(TextOf(Toggle(1)), AnsiText("Piano"));
    ASSERT_TRUE(Press("modeButtons 0") && Press("modeButtons 3"));
    EXPECT_EQ(TextOf(Info(1)), size) << "the kept song keeps its sizes";
}

TEST_F(SongPages, LoadStaysDisabledOnceRecordWasPressed) {
    ASSERT_TRUE(Launch({std::nullopt, kStudio}));
    ASSERT_TRUE(OpenSong(Put("three.mid", ManyTrackSong(3))));
    EXPECT_TRUE(IsWindowEnabled(Control("loadListButton")));
    ASSERT_TRUE(Click(Control("showListButton")) && WaitUntil([&] { return IsWindowVisible(JobStack()) != FALSE; }, 5000));
    ASSERT_TRUE(Click(GetDlgItem(JobStack(), 14)));  // 録音 with nothing stacked
    auto told = WaitForMessageBox(Run().processId(), 5000);
    ASSERT_TRUE(told && AnswerMessageBox(*told, IDOK));
    Settle(Main());
    // The pages are still there; a refresh must not give 読込 back.
    ASSERT_TRUE(Press("modeButtons 3"));
    EXPECT_FALSE(IsWindowEnabled(Control("loadListButton")));
}

TEST_F(SongPages, MarkersFollowTheBarEdits) {
    ASSERT_TRUE(Launch({std::nullopt, kStudio}));
    ASSERT_TRUE(OpenSong(Put("showcase.mid", ShowcaseSong(6))));
    ASSERT_TRUE(Press("modeButtons 1"));
    SavePicture(Main(), "tracks-inst");
    ASSERT_TRUE(Press("modeButtons 0"));
    SavePicture(Main(), "tracks-ch");
    ASSERT_TRUE(ShowPage(1));
    EXPECT_EQ(TextOf(Control("endBarEdit")), AnsiText("16")) << "the song's last bar";
    EXPECT_EQ(Marker(0).left, 50);
    EXPECT_EQ(Marker(1).left, 450);
    SavePicture(Main(), "position");
    // Bar 4 of 4/4; bar 8 where 3/4 begins; bar 10 in 3/4; a bar the song does not have.
    for (auto [text, tick] : {std::pair{"4", 7680u}, std::pair{"8", 15360u}, std::pair{"10", 18240u},
                              std::pair{"99", 0u}}) {
        ASSERT_TRUE(SetEdit(Control("startBarEdit"), text));
        EXPECT_EQ(Marker(0).left, XOfTick(tick)) << "start bar " << text;
    }
    ASSERT_TRUE(SetEdit(Control("endBarEdit"), "12"));
    EXPECT_EQ(Marker(1).left, XOfTick(21120));

    // A second song's picture replaces the first one's windows: two bars per track, two markers.
    auto pictureWindows = [&](int id) {
        int count = 0;
        for (HWND child : ChildrenOf(Main())) count += IdOf(child) == id && SameClass(child, "Static") ? 1 : 0;
        return count;
    };
    EXPECT_EQ(pictureWindows(1) + pictureWindows(2), 2 * 7);
    ASSERT_TRUE(ShowPage(0));
    ASSERT_TRUE(OpenSong(Put("three.mid", ManyTrackSong(3))));
    EXPECT_EQ(pictureWindows(1) + pictureWindows(2), 2 * 3);
    EXPECT_EQ(pictureWindows(kMarkerId), 2);
}

TEST_F(SongPages, EveryRefusalAndQuestionOfStacking) {
    ASSERT_TRUE(Launch({std::nullopt, kStudio}));
    ASSERT_TRUE(OpenSong(Put("showcase.mid", ShowcaseSong(2))));
    const std::string folder = PathOf("");
    struct Step {
        const char* name;
        const char* start;
        const char* end;
        std::vector<int> answers;
        std::vector<const char*> texts;  // the boxes, in order
        int rows;                        // jobs stacked afterwards
        const char* lastWav;             // the last row's WAV, relative to the song's folder
    };
    const Step steps[] = {
        {"", "0", "4", {}, {"WAVファイル名を入力してください。"}, 0, nullptr},
        {"take1", "8", "8", {}, {"終了位置が開始位置の手前にあります。"}, 0, nullptr},
        {"take1", "0", "99", {}, {"録音終了小節 99 はこの曲にありません。\n最後の小節は 16 です。"}, 0, nullptr},
        {"take1", "50", "60", {}, {"録音開始小節 50 はこの曲にありません。\n最後の小節は 16 です。"}, 0, nullptr},
        {"take1", "0", "4", {IDYES}, {"拡張子(.wav)を追加しますか？"}, 1, "take1.wav"},
        {"take1", "0", "4", {IDNO}, {"拡張子(.wav)を追加しますか？"}, 2, "take1"},
        {"take1", "0", "4", {IDNO},
         {"同じ名前のWAVファイルがリスト上に存在します。\n このままスタックしますか？"}, 2, "take1"},
        {"take1.WAV", "4", "8", {IDNO}, {"拡張子(.wav)を追加しますか？"}, 3, "take1.WAV"},
        {"take2.wav", "8", "12", {}, {}, 4, "take2.wav"},
    };
    for (const Step& step : steps) {
        SCOPED_TRACE(std::string(step.name) + " " + step.start + "-" + step.end);
        ASSERT_TRUE(SetEdit(Control("wavNameEdit"), step.name));
        ASSERT_TRUE(SetEdit(Control("startBarEdit"), step.start));
        ASSERT_TRUE(SetEdit(Control("endBarEdit"), step.end));
        const auto seen = Stack(step.answers, step.texts.size());
        ASSERT_EQ(seen.size(), step.texts.size());
        for (std::size_t i = 0; i < seen.size(); ++i) {
            EXPECT_EQ(seen[i].second, AnsiText(step.texts[i]));
            EXPECT_EQ(seen[i].first, AnsiText(step.answers.empty() ? "スタック失敗" : "確認"));
        }
        EXPECT_EQ(ListRowCount(JobList()), step.rows);
        if (step.lastWav) {
            EXPECT_EQ(ListCell(Process(), JobList(), step.rows - 1, 1), AnsiText((folder + step.lastWav).c_str()));
        }
    }
    SavePicture(JobStack(), "stacked");
}

TEST_F(SongPages, FromAMidiFileToThreeWavFiles) {
    ASSERT_TRUE(Launch({std::nullopt, kStudio}));
    const std::string song = Put("road.mid", ShowcaseSong(4));
    ASSERT_TRUE(OpenSong(song));
    struct Job {
        std::vector<int> rowsToClick;  // toggles clicked before stacking
        const char* start;
        const char* end;
        const char* name;
        int rateIndex, bitsIndex, channelsIndex;
        const char* tracks;  // the job's tracks, for the expected length
        int rate, bits, channels;
        std::uint32_t startTick, endTick;
    };
    const Job road[] = {
        {{1, 2}, "0", "2", "road1.wav", 3, 1, 1, "0,1,2", 44100, 16, 2, 0, 3840},
        {{2, 3}, "4", "6", "road2.wav", 2, 0, 0, "0,1,3", 22050, 8, 1, 7680, 11520},
        {{}, "8", "10", "road3.wav", 4, 2, 1, "0,1,3", 96000, 24, 2, 15360, 18240},
    };
    ASSERT_TRUE(SetEdit(Control("reverbEdit"), "1"));
    for (const Job& job : road) {
        for (int row : job.rowsToClick) ASSERT_TRUE(ClickAndWait(Toggle(row)));
        ASSERT_TRUE(SetEdit(Control("startBarEdit"), job.start));
        ASSERT_TRUE(SetEdit(Control("endBarEdit"), job.end));
        ASSERT_TRUE(SetEdit(Control("wavNameEdit"), job.name));
        ASSERT_TRUE(SelectComboEntry(Control("sampleRateCombo"), job.rateIndex));
        ASSERT_TRUE(SelectComboEntry(Control("bitsCombo"), job.bitsIndex));
        ASSERT_TRUE(SelectComboEntry(Control("channelsCombo"), job.channelsIndex));
        EXPECT_TRUE(Stack({}, 0).empty()) << job.name;
    }
    ASSERT_EQ(ListRowCount(JobList()), 3);

    auto notice = ClickForMessageBox(GetDlgItem(JobStack(), 13));
    ASSERT_TRUE(notice && AnswerMessageBox(*notice, IDOK));
    auto dialog = WaitForFileDialog(Run().processId(), 10000);
    ASSERT_TRUE(dialog) << "no save dialog";
    ASSERT_TRUE(ChooseInFileDialog(*dialog, PathOf("road.list")));
    EXPECT_TRUE(WaitUntil([&] { return GetFileAttributesA(PathOf("road.list").c_str()) != INVALID_FILE_ATTRIBUTES; },
                          5000))
        << "保存 wrote no list";

    const RunLog log = RecordAndFollow(120000);
    ASSERT_TRUE(log.finished);
    EXPECT_TRUE(log.boxes.empty());
    EXPECT_EQ(RowIcons(), (std::vector<int>{3, 3, 3}));
    for (const Job& job : road) {
        SCOPED_TRACE(job.name);
        const CheckResult info = Check("info", {PathOf(job.name)});
        EXPECT_EQ(NumberOf(info, "valid"), 1) << ValueOf(info, "reason");
        EXPECT_EQ(NumberOf(info, "wave_ok"), 1);
        EXPECT_EQ(NumberOf(info, "rate"), job.rate);
        EXPECT_EQ(NumberOf(info, "bits"), job.bits);
        EXPECT_EQ(NumberOf(info, "channels"), job.channels);
        const double playing = NumberOf(
            Check("span", {song}, {std::to_string(job.startTick), std::to_string(job.endTick), job.tracks}), "seconds");
        // The tail's timer and the last notification each come some milliseconds late.
        EXPECT_NEAR(NumberOf(info, "seconds"), playing + 1, 0.25);
    }
}

// The notes wav_check.py's "aligned" found, tick to frame.
std::map<long, long> FramesOfNotes(const CheckResult& aligned) {
    std::map<long, long> frames;
    std::istringstream notes(ValueOf(aligned, "notes"));
    for (std::string note; std::getline(notes, note, ',');) {
        frames[std::strtol(note.c_str(), nullptr, 10)] = std::strtol(note.c_str() + note.find(':') + 1, nullptr, 10);
    }
    return frames;
}

// A song of a conductor track and three parts, tracks 0, 1 and 3 ticked: トラック別 stacks parts 1
// and 3 with the conductor track, asks about names already stacked once for both, and every
// stem's notes fall on the frames they have in the whole-song job beside them.
TEST_F(SongPages, StemsOfTheTickedTracksLineUpWithTheWholeSong) {
    ASSERT_TRUE(Launch({std::nullopt, "midiout Slow Synth\n  opendelay 20-120\nwavein Slow Mic\n  startdelay 600-1800\n"}));
    const std::string song = Put("parts.mid", PartsSong(6, {"Bass: L/R", "", "\x83\x5C\x83\x8D"}));
    ASSERT_TRUE(OpenSong(song));
    EXPECT_TRUE(IsWindowEnabled(Control("stemsButton")));
    ASSERT_TRUE(ClickAndWait(Toggle(1)) && ClickAndWait(Toggle(3)));
    ASSERT_TRUE(SetEdit(Control("startBarEdit"), "2"));
    ASSERT_TRUE(SetEdit(Control("reverbEdit"), "1"));
    ASSERT_TRUE(SetEdit(Control("wavNameEdit"), "whole.wav"));
    EXPECT_TRUE(Stack({}, 0).empty());
    ASSERT_TRUE(SetEdit(Control("wavNameEdit"), "stem.wav"));
    const auto asked = Stack({IDYES}, 1, "stemsButton");
    ASSERT_EQ(asked.size(), 1u);
    EXPECT_EQ(asked[0].first, AnsiText("確認"));
    EXPECT_EQ(asked[0].second, AnsiText("チェックした 2 トラックを、1トラックずつ 2 個のジョブとしてスタックしますか？\n\n"
                                        "stem_01_Bass_ L_R.wav\nstem_03_\x83\x5C\x83\x8D.wav\n\n"
                                        "ノートのないトラック 0 は、どのジョブでも一緒に演奏します。"));
    const auto again = Stack({IDYES, IDNO}, 2, "stemsButton");
    ASSERT_EQ(again.size(), 2u);
    EXPECT_EQ(again[1].second, AnsiText("同じ名前のWAVファイルがリスト上に 2 個存在します。\n このままスタックしますか？"));
    EXPECT_TRUE(IsWindowVisible(JobStack()));
    const struct {
        const char* wav;
        const char* column;
        const char* tracks;
    } jobs[] = {{"whole.wav", " 0 1 3", "0,1,3"}, {"stem_01_Bass_ L_R.wav", " 0 1", "0,1"},
                {"stem_03_\x83\x5C\x83\x8D.wav", " 0 3", "0,3"}};
    ASSERT_EQ(ListRowCount(JobList()), 3);
    for (int row = 0; row < 3; ++row) {
        EXPECT_EQ(ListCell(Process(), JobList(), row, 1), AnsiText(PathOf(jobs[row].wav).c_str()));
        EXPECT_EQ(ListCell(Process(), JobList(), row, 5), AnsiText(jobs[row].column));
    }
    SavePicture(JobStack(), "stems");

    const RunLog log = RecordAndFollow(180000);
    ASSERT_TRUE(log.finished);
    EXPECT_TRUE(log.boxes.empty());
    const CheckResult wholeAligned = Check("aligned", {PathOf(jobs[0].wav), song}, {"3840", jobs[0].tracks});
    const std::map<long, long> whole = FramesOfNotes(wholeAligned);
    double fromSong = NumberOf(wholeAligned, "maxerror_frames");
    long worst = 0;
    std::size_t compared = 0;
    for (int stem = 1; stem < 3; ++stem) {
        SCOPED_TRACE(jobs[stem].wav);
        const CheckResult aligned = Check("aligned", {PathOf(jobs[stem].wav), song}, {"3840", jobs[stem].tracks});
        EXPECT_GT(NumberOf(aligned, "expected"), 0);
        EXPECT_EQ(NumberOf(aligned, "found"), NumberOf(aligned, "expected"));
        fromSong = std::max(fromSong, NumberOf(aligned, "maxerror_frames"));
        for (const auto& [tick, frame] : FramesOfNotes(aligned)) {
            ASSERT_TRUE(whole.contains(tick)) << "tick " << tick << " is not in the whole song's file";
            worst = std::max(worst, std::labs(frame - whole.at(tick)));
            ++compared;
        }
    }
    // A file puts each note within a frame of the song's own time, so two files agree within two.
    EXPECT_LE(worst, 2);
    std::printf("[ measured ] two stems from bar 2 against the whole song, devices starting 0.6-1.8 s late: %zu notes, "
                "each within %ld frames of its frame in the whole song's file (and %.0f of where the song puts it) at "
                "44,100 Hz\n", compared, worst, fromSong);
}

}  // namespace
}  // namespace uidriver
