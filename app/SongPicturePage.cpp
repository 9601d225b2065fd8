#include "app/SongPicturePage.h"

#include <windows.h>

#include <string>
#include <vector>

#include "app/AppState.h"
#include "app/CommandHandlers.h"
#include "app/MainControls.h"
#include "app/Pages.h"
#include "app/model/SongPictureModel.h"
#include "jobs/JobStacking.h"
#include "song/MusicalTime.h"
#include "song/SongState.h"

namespace solvena::app {

namespace {

// Statics that ask for a colour of their own (MainWndProc's WM_CTLCOLORSTATIC).
constexpr int kUnselectedBarId = 1;
constexpr int kSelectedBarId = 2;
constexpr int kMarkerId = 3;

// The windows of the current picture; replaced by every load.
struct PictureWindows {
    HWND frame = nullptr;
    std::vector<HWND> selectedBars;
    std::vector<HWND> unselectedBars;
    std::vector<HWND> labels;
    HWND startMarker = nullptr;
    HWND endMarker = nullptr;
    std::uint32_t maxEnd = 0;
};

PictureWindows picture;

HWND CreatePictureWindow(const char* text, const PictureRect& rect, int id) {
    return CreateWindowExA(0, "STATIC", text, WS_CHILD | WS_BORDER, rect.x, rect.y, rect.width, rect.height,
                           mainWindow, reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), instance, nullptr);
}

void Destroy(HWND& window) {
    if (window != nullptr) DestroyWindow(window);
    window = nullptr;
}

void MoveMarker(HWND marker, HWND edit) {
    if (marker == nullptr || mainSong.trackCount == 0) return;
    char text[4] = {};
    GetWindowTextA(edit, text, sizeof text);
    const std::uint32_t tick = BarToTick(ReadEditNumber(text), mainSong);
    MoveWindow(marker, XOfTick(tick, picture.maxEnd), kMarkerY, kMarkerWidth, kMarkerHeight, TRUE);
}

}  // namespace

void ReleaseSongPicture() {
    Destroy(picture.frame);
    for (std::vector<HWND>* list : {&picture.selectedBars, &picture.unselectedBars, &picture.labels}) {
        for (HWND& window : *list) Destroy(window);
        list->clear();
    }
    Destroy(picture.startMarker);
    Destroy(picture.endMarker);
}

void BuildSongPicture() {
    ReleaseSongPicture();
    const SongPictureModel model = BuildSongPictureModel(mainSong, tracks);
    picture.maxEnd = model.maxEnd;
    picture.frame = CreatePictureWindow(" ", kSongFrame, kUnhandledId);
    for (const PictureRect& bar : model.trackBars) {
        picture.selectedBars.push_back(CreatePictureWindow("", bar, kSelectedBarId));
        picture.unselectedBars.push_back(CreatePictureWindow("", bar, kUnselectedBarId));
    }
    picture.startMarker = CreatePictureWindow("", {kSongFrame.x, kMarkerY, kMarkerWidth, kMarkerHeight}, kMarkerId);
    picture.endMarker = CreatePictureWindow(
        "", {kSongFrame.x + kSongFrame.width, kMarkerY, kMarkerWidth, kMarkerHeight}, kMarkerId);
    for (const ConductorLabel& label : model.labels) {
        HWND window = CreatePictureWindow(label.text.c_str(), label.rect, kUnhandledId);
        SendMessageA(window, WM_SETFONT, reinterpret_cast<WPARAM>(labelFont), FALSE);
        picture.labels.push_back(window);
    }
    // The edit's change notification moves the end marker to that bar.
    if (model.endBar) SetWindowTextA(controls.endBarEdit, std::to_string(*model.endBar).c_str());
}

void ApplySongPictureMembership(int page) {
    const int shown = page == kRecordingPage ? SW_SHOWNA : SW_HIDE;
    for (HWND window : {picture.frame, picture.startMarker, picture.endMarker}) {
        if (window != nullptr) ShowWindow(window, shown);
    }
    for (HWND label : picture.labels) ShowWindow(label, shown);
    for (std::size_t t = 0; t < picture.selectedBars.size(); ++t) {
        const bool selected = t < kMaxTracks && tracks[t].selected == 1;
        ShowWindow(picture.selectedBars[t], selected ? shown : SW_HIDE);
        ShowWindow(picture.unselectedBars[t], selected ? SW_HIDE : shown);
    }
}

void MoveStartMarker() { MoveMarker(picture.startMarker, controls.startBarEdit); }

void MoveEndMarker() { MoveMarker(picture.endMarker, controls.endBarEdit); }

}  // namespace solvena::app
