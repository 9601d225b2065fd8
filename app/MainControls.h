// The main window's controls, under the names every part of the program uses. Created once in
// the main window's creation handler from the control table (MainControls.cpp).
#pragma once

#include <windows.h>

#include <array>

namespace solvena::app {

// Control ids with handlers; every control without one shares kUnhandledId.
enum ControlId : int {
    kPrevPageId = 1,
    kNextPageId = 2,
    kFirstModeId = 3,  // 3..6
    kOpenId = 7,
    kDeviceCheckId = 8,
    kControlPanelId = 9,
    kWavNameId = 10,
    kStackId = 11,
    kLoadListId = 12,
    kShowListId = 13,
    kMidiOutId = 17,
    kWaveInId = 18,
    kStartBarId = 19,
    kEndBarId = 20,
    kFirstTrackToggleId = 21,  // 21..36
    kCancelId = 37,
    kStemsId = 38,
    kUnhandledId = 240,
};

struct MainControls {
    HWND tabControl = nullptr;
    HWND pageFrame = nullptr;
    // Track page (page 0)
    HWND openButton = nullptr;
    HWND songFileLabel = nullptr;
    HWND songTitleLabel = nullptr;
    HWND prevPageButton = nullptr;
    HWND nextPageButton = nullptr;
    std::array<HWND, 4> modeButtons{};
    std::array<HWND, 16> trackToggles{};
    std::array<HWND, 16> trackInfoLabels{};
    // Recording position page (page 1)
    HWND startBarLabel = nullptr;
    HWND startBarEdit = nullptr;
    HWND endBarLabel = nullptr;
    HWND endBarEdit = nullptr;
    HWND reverbLabel = nullptr;
    HWND reverbEdit = nullptr;
    // Device settings page (page 2)
    HWND deviceHeading = nullptr;
    HWND outputHeading = nullptr;
    HWND midiOutLabel = nullptr;
    HWND waveInLabel = nullptr;
    HWND midiOutCombo = nullptr;
    HWND waveInCombo = nullptr;
    HWND sampleRateLabel = nullptr;
    HWND bitsLabel = nullptr;
    HWND channelsLabel = nullptr;
    HWND sampleRateCombo = nullptr;
    HWND bitsCombo = nullptr;
    HWND channelsCombo = nullptr;
    HWND deviceCheckButton = nullptr;
    HWND controlPanelButton = nullptr;
    // Version page (page 3)
    HWND logoImage = nullptr;
    HWND versionText = nullptr;
    // Bottom row
    HWND wavNameEdit = nullptr;
    HWND wavNameButton = nullptr;
    HWND loadListButton = nullptr;
    HWND stackButton = nullptr;
    HWND showListButton = nullptr;
    HWND stemsButton = nullptr;  // トラック別
    // Run mode
    HWND busyFrame = nullptr;
    HWND progressLabel = nullptr;
    HWND cancelButton = nullptr;
    HWND jobProgressBar = nullptr;
    HWND jobTimeLabel = nullptr;
    HWND jobLevelLabel = nullptr;
};

extern MainControls controls;

}  // namespace solvena::app
