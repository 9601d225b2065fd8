#include "app/MainWindow.h"

#include <commctrl.h>

#include "app/AppState.h"
#include "app/CommandLineRun.h"
#include "engine/win32/PaintNothing.h"
#include "app/CommandHandlers.h"
#include "app/DevicePage.h"
#include "app/FileDrops.h"
#include "app/Fonts.h"
#include "app/MainControlTable.h"
#include "app/MainControls.h"
#include "app/Pages.h"
#include "app/SongPicturePage.h"
#include "song/SongState.h"
#include "engine/win32/DroppedFiles.h"
#include "engine/win32/JobStackWindow.h"
#include "engine/win32/Prompts.h"
#include "engine/win32/RunController.h"
#include "jobs/RecordingJob.h"

namespace solvena::app {

namespace {

// Static ids that ask for a colour of their own: the track bars and the position markers.
constexpr int kSelectedTrackBarId = 2;
constexpr int kTrackBarId = 1;
constexpr int kMarkerId = 3;

LRESULT OnCreate(HWND window, const CREATESTRUCTA* creation) {
    // Device messages during creation are owned by this window, so it is known from the start.
    mainWindow = window;
    BuildMainWindow(window, creation->hInstance);
    return 0;
}

LRESULT OnDestroy() {
    // A run in progress: the stream, the wave input and its buffers, and a complete WAV file.
    engine::StopRunOnExit();
    // What that told (a write that failed at the close) is seen before the quit message.
    engine::ShowDeferredMessagesBeforeExit();
    // A run from the command line that was stopped is reported as it stands.
    EndCommandLineRun();
    ReleaseSongs();
    ResetJobTable();
    ReleaseSongPicture();
    DeleteFonts();
    ReleaseMainWindowGdi();
    engine::DestroyJobListImageList();
    mainWindow = nullptr;
    PostQuitMessage(0);
    return 0;
}

// Windows is ending the session (log off, shut down, a restart for an update): the process ends
// right after this, so a run in progress is stopped as closing the program stops it.
LRESULT OnEndSession(bool ending) {
    if (!ending) return 0;
    // Not a run the user ended: the next start offers to take it up again.
    engine::KeepRunJournalForSessionEnd();
    engine::StopRunOnExit();
    return 0;
}

void OnNotify(const NMHDR* header) {
    if (header->code == static_cast<UINT>(TCN_SELCHANGE)) OnPageChange();
}

// True when the command was handled here; anything else also goes to the default procedure.
bool OnCommand(int id, int code) {
    if (id >= kFirstModeId && id < kFirstModeId + 4) {
        SetDisplayMode(id - kFirstModeId);
        return true;
    }
    if (id >= kFirstTrackToggleId && id < kFirstTrackToggleId + 16) {
        StoreTrackSelection(id - kFirstTrackToggleId);
        return true;
    }
    switch (id) {
        case kPrevPageId: ShowPreviousTrackPage(); return true;
        case kNextPageId: ShowNextTrackPage(); return true;
        case kOpenId: OpenSong(); return true;
        case kDeviceCheckId: OnDeviceCheck(); return true;
        case kControlPanelId: OnControlPanel(); return true;
        case kWavNameId: ChooseWavName(); return true;
        case kStackId: StackJob(); return true;
        case kStemsId: StackStems(); return true;
        case kLoadListId: LoadJobList(); return true;
        case kShowListId: ShowJobList(); return true;
        case kWaveInId:
            if (code != CBN_CLOSEUP) return false;
            OnWaveInCloseUp();
            return true;
        case kStartBarId: MoveStartMarker(); return true;
        case kEndBarId: MoveEndMarker(); return true;
        case kCancelId:
            DestroyMainWindow();
            return false;
        default: return false;
    }
}

LRESULT OnDropFiles(HDROP drop) {
    OpenDroppedSong(engine::TakeDroppedFiles(drop));
    return 0;
}

LRESULT OnCtlColorStatic(HWND control) {
    switch (GetDlgCtrlID(control)) {
        case kSelectedTrackBarId: return reinterpret_cast<LRESULT>(markerBrush);
        case kTrackBarId: return reinterpret_cast<LRESULT>(GetSysColorBrush(COLOR_SCROLLBAR));
        case kMarkerId: return reinterpret_cast<LRESULT>(GetSysColorBrush(COLOR_ACTIVECAPTION));
        default: return 0;
    }
}

}  // namespace

LRESULT CALLBACK MainWndProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_CREATE: return OnCreate(window, reinterpret_cast<const CREATESTRUCTA*>(lParam));
        case WM_DESTROY: return OnDestroy();
        case WM_PAINT: return engine::PaintNothing(window);
        case WM_NOTIFY: OnNotify(reinterpret_cast<const NMHDR*>(lParam)); break;
        case WM_COMMAND:
            if (OnCommand(LOWORD(wParam), HIWORD(wParam))) return 0;
            break;
        case WM_CTLCOLORSTATIC: return OnCtlColorStatic(reinterpret_cast<HWND>(lParam));
        case WM_DROPFILES: return OnDropFiles(reinterpret_cast<HDROP>(wParam));
        // A run never keeps the session from ending: what it has recorded is saved on the way.
        case WM_QUERYENDSESSION: return TRUE;
        case WM_ENDSESSION: return OnEndSession(wParam != FALSE);
        default: break;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

}  // namespace solvena::app
