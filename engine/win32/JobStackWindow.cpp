#include "engine/win32/JobStackWindow.h"

#include <commctrl.h>

#include <array>
#include <cstdint>
#include <vector>

#include "engine/DeviceSeam.h"
#include "engine/win32/DroppedFiles.h"
#include "engine/win32/MainWindowLink.h"
#include "engine/win32/PaintNothing.h"
#include "engine/win32/Prompts.h"
#include "engine/win32/RunController.h"
#include "engine/win32/RunState.h"
#include "engine/win32/SaveJobList.h"
#include "song/SongState.h"
#include "jobs/JobRowText.h"
#include "jobs/RecordingJob.h"

namespace solvena::engine {

HWND jobStackWindow = nullptr;

namespace {

// The run the window's record button starts and its messages drive.
RunState run;

constexpr int kJobListId = 1;
constexpr int kOnOffId = 11;
constexpr int kSaveId = 13;
constexpr int kRecordId = kRecordCommand;
constexpr int kNextJobId = kNextJobCommand;
constexpr int kInsertRowId = 127;

constexpr DWORD kJobListStyle = WS_CHILD | WS_VISIBLE | LVS_REPORT;
constexpr int kRowIconSize = 12;

struct ButtonRow {
    const char* text;
    int x, y, width, height;
    int id;
};

constexpr std::array<ButtonRow, 3> kButtons{{
    {"保存", 276, 268, 40, 16, kSaveId},
    {"on/off", 318, 268, 40, 16, kOnOffId},
    {"録音", 360, 268, 40, 16, kRecordId},
}};

// Image list order is the icon number a row shows: on, off, recording, recorded, and recorded
// but silent or clipped.
constexpr std::array<const char*, 5> kRowIconNames{"ONICON", "OFFICON", "RECICON", "FINICON", "CHKICON"};

// After the job's own columns: the level of its recording, written when the job is done.
constexpr JobColumn kLevelColumn{"レベル", 80};
constexpr int kLevelColumnIndex = static_cast<int>(kJobColumnCount);

HWND JobListOf(HWND window) { return window != nullptr ? GetDlgItem(window, kJobListId) : nullptr; }

bool HoldsRowIcon(int icon) { return icon >= 0 && icon < static_cast<int>(kRowIconNames.size()); }

// Item text, icon and state in one go; the state mask covers only the selected bit, so the row
// is left unselected and keeps its other states.
void SetRowItem(HWND list, int row, int icon) {
    if (list == nullptr || row < 0 || row >= static_cast<int>(kMaxJobs) || !HoldsRowIcon(icon)) return;
    std::string text = TextOf(jobs[static_cast<std::size_t>(row)].midiPath);
    LVITEMA item{};
    item.mask = LVIF_TEXT | LVIF_IMAGE | LVIF_STATE;
    item.iItem = row;
    item.pszText = text.data();
    item.iImage = icon;
    item.state = 0;
    item.stateMask = LVIS_SELECTED;
    SendMessageA(list, LVM_SETITEMA, 0, reinterpret_cast<LPARAM>(&item));
}

// ---- creation ----

HWND CreateJobList(HWND window, HINSTANCE instance) {
    HWND list = CreateWindowExA(0, WC_LISTVIEWA, nullptr, kJobListStyle, 0, 0, 400, 265, window,
                                reinterpret_cast<HMENU>(static_cast<INT_PTR>(kJobListId)), instance, nullptr);
    if (list != nullptr) SendMessageA(list, LVM_SETEXTENDEDLISTVIEWSTYLE, 0, LVS_EX_FULLROWSELECT);
    return list;
}

void InsertColumn(HWND list, int index, const JobColumn& heading) {
    LVCOLUMNA column{};
    column.mask = LVCF_FMT | LVCF_WIDTH | LVCF_TEXT | LVCF_SUBITEM;
    column.fmt = LVCFMT_LEFT;
    column.cx = heading.width;
    column.pszText = const_cast<char*>(heading.heading);
    column.iSubItem = index;
    SendMessageA(list, LVM_INSERTCOLUMNA, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&column));
}

void AddColumns(HWND list) {
    for (std::size_t i = 0; i < kJobColumns.size(); ++i) InsertColumn(list, static_cast<int>(i), kJobColumns[i]);
    InsertColumn(list, kLevelColumnIndex, kLevelColumn);
}

void SetCellText(HWND list, int row, int column, std::string text) {
    LVITEMA cell{};
    cell.iSubItem = column;
    cell.pszText = text.data();
    SendMessageA(list, LVM_SETITEMTEXTA, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(&cell));
}

void AttachRowIcons(HWND list, HINSTANCE instance) {
    HIMAGELIST images = ImageList_Create(kRowIconSize, kRowIconSize, ILC_COLOR16, kRowIconNames.size(), 4);
    if (images == nullptr) return;
    for (const char* name : kRowIconNames) {
        auto icon = static_cast<HICON>(LoadImageA(instance, name, IMAGE_ICON, kRowIconSize, kRowIconSize, 0));
        if (icon != nullptr) {
            ImageList_AddIcon(images, icon);
            DestroyIcon(icon);
        } else {
            // A stand-in keeps the later pictures at the icon numbers rows refer to.
            ImageList_AddIcon(images, LoadIconA(nullptr, MAKEINTRESOURCEA(32512)));  // IDI_APPLICATION
        }
    }
    SendMessageA(list, LVM_SETIMAGELIST, LVSIL_SMALL, reinterpret_cast<LPARAM>(images));
}

void CreateButtons(HWND window, HINSTANCE instance) {
    for (const ButtonRow& b : kButtons) {
        HWND button = CreateWindowExA(0, "BUTTON", b.text, WS_CHILD | WS_VISIBLE, b.x, b.y, b.width, b.height, window,
                                      reinterpret_cast<HMENU>(static_cast<INT_PTR>(b.id)), instance, nullptr);
        HFONT font = CurrentMainWindowLink().buttonFont;
        if (button != nullptr && font != nullptr) {
            SendMessageA(button, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
        }
    }
}

// No song is open while the window comes up; the shared track table starts without buffers.
void ReleaseTrackBuffers() {
    for (TrackInfo& track : tracks) std::vector<std::uint8_t>().swap(track.data);
}

// ---- messages ----

LRESULT OnCreate(HWND window, const CREATESTRUCTA* creation) {
    ReleaseTrackBuffers();
    INITCOMMONCONTROLSEX common{};
    common.dwSize = sizeof common;
    common.dwICC = ICC_LISTVIEW_CLASSES;
    InitCommonControlsEx(&common);

    HWND list = CreateJobList(window, creation->hInstance);
    // Without its list the window could show no job at all.
    if (list == nullptr) return -1;
    AddColumns(list);
    AttachRowIcons(list, creation->hInstance);
    CreateButtons(window, creation->hInstance);
    return 0;
}

// The window lives as long as the process; its close box only hides it.
LRESULT OnClose(HWND window) {
    ShowWindow(window, SW_HIDE);
    return 0;
}

void OnOnOff(HWND window) {
    HWND list = JobListOf(window);
    const auto row = static_cast<int>(SendMessageA(list, LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_SELECTED));
    if (!ToggleJob(row)) return;  // also no row selected (-1)
    SetRowItem(list, row, JobRowIcon(jobs[static_cast<std::size_t>(row)]));
}

// Sent while the new job sits at position jobCount, before the count is raised.
void OnInsertRow(HWND window) {
    HWND list = JobListOf(window);
    if (list == nullptr || jobCount < 0 || jobCount >= static_cast<std::int32_t>(kMaxJobs)) return;
    const RecordingJob& job = jobs[static_cast<std::size_t>(jobCount)];
    JobRowTexts texts = RowTextsOf(job);

    LVITEMA item{};
    item.mask = LVIF_TEXT | LVIF_IMAGE | LVIF_STATE;
    item.iItem = jobCount;
    item.pszText = texts[0].data();
    item.iImage = JobRowIcon(job);
    item.state = 0;
    item.stateMask = LVIS_SELECTED;
    const auto row = static_cast<int>(SendMessageA(list, LVM_INSERTITEMA, 0, reinterpret_cast<LPARAM>(&item)));
    if (row < 0) return;
    for (std::size_t column = 1; column < texts.size(); ++column) {
        SetCellText(list, row, static_cast<int>(column), texts[column]);
    }
}

// True when the command is one of this window's; the rest go to the default procedure.
bool OnCommand(HWND window, int id) {
    switch (id) {
        case kOnOffId: OnOnOff(window); return true;
        case kSaveId: SaveJobList(window); return true;
        case kRecordId: OnRecordCommand(window, run); return true;
        case kNextJobId: OnNextJobCommand(window, run); return true;
        case kInsertRowId: OnInsertRow(window); return true;
        default: return false;
    }
}

// The main window loads the lists: 読込's questions and its refusals during a run are its own.
LRESULT OnDropFiles(HDROP drop) {
    const std::vector<std::string> files = TakeDroppedFiles(drop);
    if (CurrentMainWindowLink().loadDroppedJobLists != nullptr) CurrentMainWindowLink().loadDroppedJobLists(files);
    return 0;
}

// ---- the job table's row hooks ----

void InsertRowHook() { SendMessageA(jobStackWindow, WM_COMMAND, kInsertRowId, 0); }

void DeleteRowHook(std::int32_t row) {
    SendMessageA(JobListOf(jobStackWindow), LVM_DELETEITEM, static_cast<WPARAM>(row), 0);
}

void ShowWindowHook() { ShowWindow(jobStackWindow, SW_SHOWNORMAL); }

}  // namespace

LRESULT CALLBACK ListWndProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_CREATE: return OnCreate(window, reinterpret_cast<const CREATESTRUCTA*>(lParam));
        case WM_PAINT: return PaintNothing(window);
        case WM_CLOSE: return OnClose(window);
        case WM_COMMAND:
            if (OnCommand(window, LOWORD(wParam))) return 0;
            break;
        case WM_DROPFILES: return OnDropFiles(reinterpret_cast<HDROP>(wParam));
        case WM_TIMER: OnRunTimer(window, run, static_cast<UINT_PTR>(wParam)); return 0;
        case devices::kMmMomPositionCb: OnStreamPositionMessage(window, run, lParam); return 0;
        case devices::kMmMomDone: OnStreamDoneMessage(window, run); return 0;
        case devices::kMmWimData: OnCaptureDataMessage(window, run, lParam); return 0;
        case kShowDeferredMessages: ShowDeferredMessages(); return 0;
        default: break;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

RunState& JobStackRun() { return run; }

void InstallJobRowHooks() { SetJobRowHooks({InsertRowHook, DeleteRowHook, ShowWindowHook}); }

void SetRowIcon(int row, int icon) { SetRowItem(JobListOf(jobStackWindow), row, icon); }

void SetRowLevelText(int row, const std::string& text) {
    HWND list = JobListOf(jobStackWindow);
    if (list == nullptr || row < 0 || row >= static_cast<int>(kMaxJobs)) return;
    SetCellText(list, row, kLevelColumnIndex, text);
}

void DestroyJobListImageList() {
    if (jobStackWindow == nullptr || !IsWindow(jobStackWindow)) return;
    // Detached first: the list would otherwise destroy it a second time when it goes.
    auto images = reinterpret_cast<HIMAGELIST>(
        SendMessageA(JobListOf(jobStackWindow), LVM_SETIMAGELIST, LVSIL_SMALL, 0));
    if (images != nullptr) ImageList_Destroy(images);
}

}  // namespace solvena::engine
