#include "app/FileDrops.h"

#include <windows.h>
#include <commctrl.h>

#include "app/AppState.h"
#include "app/CommandHandlers.h"
#include "app/MainControls.h"
#include "app/Pages.h"
#include "app/RunMode.h"
#include "engine/RunTexts.h"
#include "engine/win32/Prompts.h"

namespace solvena::app {

namespace {

constexpr char kOneSongText[] = "曲は一度に一つだけ開けます。\n開く曲のファイルを一つだけドロップしてください。";
constexpr char kFolderFormat[] = "「%s」はフォルダです。\nフォルダの中のファイルをドロップしてください。";

// Only while 開く and 読込 could be used: not during a run or 録音's questions (the run loads its
// songs into the track table the pages show), nor while a box or dialog of either window waits
// for an answer, whose command would go on with a stack or song it did not ask about.
bool TakesDrops() {
    return !LoadListLocked() && IsWindowEnabled(mainWindow) && IsWindowEnabled(jobStackWindow);
}

// A folder among the files is told before anything is asked or loaded.
bool HoldsAFolder(const std::vector<std::string>& files) {
    for (const std::string& file : files) {
        const DWORD attributes = GetFileAttributesA(file.c_str());
        if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0) {
            engine::ShowMessageBox(mainWindow, WithPath(kFolderFormat, file).c_str(), kNoticeCaption, MB_OK);
            return true;
        }
    }
    return false;
}

// The song is seen where 開く is, whichever page the drop came on.
void ShowTrackPage() {
    SendMessageA(controls.tabControl, TCM_SETCURSEL, kTrackPage, 0);
    OnPageChange();
}

}  // namespace

void OpenDroppedSong(const std::vector<std::string>& files) {
    if (files.empty() || !TakesDrops() || HoldsAFolder(files)) return;
    if (files.size() > 1) {
        engine::ShowMessageBox(mainWindow, kOneSongText, kNoticeCaption, MB_OK);
        return;
    }
    if (OpenSongFile(files.front())) ShowTrackPage();
}

void LoadDroppedJobLists(const std::vector<std::string>& files) {
    if (files.empty() || !TakesDrops() || HoldsAFolder(files)) return;
    LoadJobListFiles(files);
}

}  // namespace solvena::app
