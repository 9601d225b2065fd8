// Commands 7 and 10: opening a song (chosen in the dialog, or given by the command line or a drop),
// and choosing the WAV file name in the song's folder.
#include <windows.h>
#include <commdlg.h>

#include <algorithm>
#include <array>
#include <optional>
#include <string>
#include <utility>

#include "app/AppState.h"
#include "app/CommandHandlers.h"
#include "app/MainControls.h"
#include "app/RunMode.h"
#include "app/Settings.h"
#include "app/SongPicturePage.h"
#include "app/TrackPage.h"
#include "engine/RunTexts.h"
#include "engine/win32/Prompts.h"
#include "song/MusicalTime.h"
#include "song/SongLoader.h"
#include "song/SongState.h"
#include "song/TrackScan.h"

namespace solvena::app {

namespace {

constexpr char kMidiFilter[] = "MIDIファイル(.mid)\0*.mid;*.midi\0standard MIDIファイル(.smf)\0*.smf\0総てのファイル\0*.*\0";
constexpr char kWavFilter[] = "WAVファイル(.wav)\0*.wav\0総てのファイル\0*.*\0";
constexpr char kNotASongFormat[] = "ファイル「%s」はスタンダードMIDIファイルとして読めませんでした。";
constexpr char kFolderTooLongFormat[] = "フォルダ「%s」のパスが長すぎます。(255文字まで)";
constexpr char kPathTooLongFormat[] = "ファイル「%s」のパスが長すぎます。(511文字まで)";
constexpr char kRunStartedText[] = "録音が始まったため、曲は開きませんでした。";
constexpr char kOtherFolderText[] =
    "WAVファイルは曲と同じフォルダに作られます。\n選んだファイル名だけを使います。";

OPENFILENAMEA DialogRecord(char* file, DWORD fileSize, const char* filter, const char* folder, DWORD flags) {
    OPENFILENAMEA record{};
    record.lStructSize = OPENFILENAME_SIZE_VERSION_400A;
    record.hwndOwner = mainWindow;
    record.lpstrFilter = filter;
    record.nFilterIndex = 1;
    record.lpstrFile = file;
    record.nMaxFile = fileSize;
    record.lpstrInitialDir = folder;
    record.Flags = flags;
    return record;
}

void Tell(const char* format, const std::string& path) {
    const std::string text = WithPath(format, path);
    engine::ShowMessageBox(mainWindow, text.c_str(), kErrorCaption, MB_OK);
}

// The open dialog's chosen path; nothing when the user cancelled.
std::optional<std::string> ChooseMidiFile() {
    std::array<char, kPathSize> path{};
    OPENFILENAMEA record = DialogRecord(path.data(), static_cast<DWORD>(path.size()), kMidiFilter, startFolder.data(),
                                        OFN_FILEMUSTEXIST | OFN_LONGNAMES);
    if (!GetOpenFileNameA(&record)) return std::nullopt;
    return TextOf(path);
}

// The whole path and its folder (with the final separator), as the system splits them: a trail
// byte 0x5C of a double-byte character is no separator. A relative path (a command line's) is
// taken from the current folder. Told, and nothing, when it names no file or does not fit its
// buffer in mainSong: a cut folder would put the WAV files somewhere else.
std::optional<std::pair<std::string, std::string>> FullPathAndFolder(const std::string& given) {
    std::array<char, kPathSize> full{};
    char* name = nullptr;
    const DWORD length = GetFullPathNameA(given.c_str(), static_cast<DWORD>(full.size()), full.data(), &name);
    if (length >= full.size()) {
        Tell(kPathTooLongFormat, given);
        return std::nullopt;
    }
    // No path at all, or one that ends in a separator: nothing a song could be read from.
    if (length == 0 || name == nullptr) {
        Tell(kNotASongFormat, given);
        return std::nullopt;
    }
    std::string path(full.data(), length);
    std::string folder = path.substr(0, static_cast<std::size_t>(name - full.data()));
    if (folder.size() >= mainSong.folder.size()) {
        Tell(kFolderTooLongFormat, folder);
        return std::nullopt;
    }
    return std::pair{std::move(path), std::move(folder)};
}

// 録音 in the job stack window works while the open dialog is up, and its run loads its songs
// into the track table the pages show: once its questions or its run have begun, the table is
// theirs.
bool RunTookTheSong() {
    if (!LoadListLocked()) return false;
    engine::ShowMessageBox(mainWindow, kRunStartedText, kNoticeCaption, MB_OK);
    return true;
}

// The save dialog in the song's folder; the chosen path into mainSong's wavPath. The offset of
// its file name, or nothing when the user cancelled.
std::optional<std::size_t> ChooseWavFile() {
    mainSong.wavPath.fill('\0');
    OPENFILENAMEA record =
        DialogRecord(mainSong.wavPath.data(), static_cast<DWORD>(mainSong.wavPath.size()), kWavFilter,
                     mainSong.folder.data(), OFN_OVERWRITEPROMPT | OFN_HIDEREADONLY | OFN_NOCHANGEDIR);
    if (!GetSaveFileNameA(&record)) return std::nullopt;
    return record.nFileOffset;
}

// Names inside the song's folder (or below it) are shown relative to it, since stacking joins
// the folder and the edit's text.
bool InFolder(const std::string& path, const std::string& folder) {
    return path.size() > folder.size() &&
           CompareStringA(LOCALE_SYSTEM_DEFAULT, NORM_IGNORECASE, path.data(), static_cast<int>(folder.size()),
                          folder.data(), static_cast<int>(folder.size())) == CSTR_EQUAL;
}

}  // namespace

void OpenSong() {
    if (const std::optional<std::string> path = ChooseMidiFile()) OpenSongFile(*path);
}

bool OpenSongFile(const std::string& given) {
    if (RunTookTheSong()) return false;
    const auto chosen = FullPathAndFolder(given);
    if (!chosen) return false;
    const auto& [path, folder] = *chosen;
    const auto keptPath = mainSong.path;
    const auto keptFolder = mainSong.folder;
    SetText(mainSong.path, path);
    SetText(mainSong.folder, folder);
    if (!LoadSong(mainSong.path.data(), mainSong, tracks)) {
        // Told, so that the previous song, still shown, is not taken for the chosen one.
        Tell(kNotASongFormat, path);
        mainSong.path = keptPath;
        mainSong.folder = keptFolder;
        return false;
    }
    mainSong.ResetConductor();
    mainSong.title.fill('\0');
    for (TrackInfo& track : tracks) track.selected = 0;
    // A song without a title must not keep the previous one's.
    SetWindowTextA(controls.songTitleLabel, "");
    ScanTracks(mainSong, tracks);
    displayMode = 0;
    trackPage = 0;
    tracks[0].selected = 1;
    RefreshTrackPage();
    SetWindowTextA(controls.songFileLabel, path.substr(folder.size()).c_str());
    BuildBarLines(mainSong, tracks);
    BuildSongPicture();
    return true;
}

void ChooseWavName() {
    const std::optional<std::size_t> nameOffset = ChooseWavFile();
    if (!nameOffset) return;
    const std::string path = TextOf(mainSong.wavPath);
    const std::string folder = TextOf(mainSong.folder);
    if (InFolder(path, folder)) {
        SetWindowTextA(controls.wavNameEdit, path.substr(folder.size()).c_str());
        return;
    }
    // The job's file always lies in the song's folder: keep the name, and say so.
    SetWindowTextA(controls.wavNameEdit, path.substr(std::min(*nameOffset, path.size())).c_str());
    engine::ShowMessageBox(mainWindow, kOtherFolderText, kNoticeCaption, MB_OK);
}

}  // namespace solvena::app
