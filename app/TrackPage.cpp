#include "app/TrackPage.h"

#include <windows.h>

#include <string>

#include "app/CommandHandlers.h"
#include "app/MainControls.h"
#include "app/RunMode.h"
#include "app/Settings.h"
#include "app/model/InstrumentNames.h"
#include "app/model/TrackPageModel.h"
#include "engine/DeviceSeam.h"
#include "song/SongState.h"

namespace solvena::app {

std::int32_t trackPage = 0;
std::int32_t displayMode = kChannelMode;

namespace {

// The names files are read anew for every row: the user may edit them while the program runs.
std::string InstrumentNameOf(const TrackInfo& track) {
    const LRESULT device = SendMessageA(controls.midiOutCombo, CB_GETCURSEL, 0, 0);
    std::string devicePath;
    if (device >= 0) {
        const std::string name = devices::MidiOutName(static_cast<std::uint32_t>(device));
        // A device whose capabilities cannot be read has no file of its own.
        if (!name.empty()) devicePath = DeviceNamesPath(startFolder.data(), name);
    }
    // A program change of 0 is a program (the first one); only a track without one has no name.
    return InstrumentNameFor(instrumentsPath.data(), devicePath, track.bankMsb, track.bankLsb,
                             track.hasProgram ? track.program : kNoProgram);
}

void Enable(HWND control, bool enabled) { EnableWindow(control, enabled ? TRUE : FALSE); }

// Last in a refresh: everything a loaded song makes usable.
void EnableSongControls() {
    for (HWND control : {controls.startBarLabel, controls.startBarEdit, controls.endBarLabel, controls.endBarEdit,
                         controls.reverbLabel, controls.reverbEdit, controls.wavNameButton, controls.stackButton,
                         controls.stemsButton, controls.wavNameEdit}) {
        Enable(control, true);
    }
    Enable(controls.loadListButton, !LoadListLocked());
}

}  // namespace

void RefreshTrackPage() {
    const TrackPageView view = BuildTrackPageView(mainSong, tracks, trackPage, displayMode, InstrumentNameOf);
    Enable(controls.songTitleLabel, true);
    for (std::size_t r = 0; r < view.rows.size(); ++r) {
        Enable(controls.trackInfoLabels[r], view.rows[r].used);
        Enable(controls.trackToggles[r], view.rows[r].used);
    }
    Enable(controls.nextPageButton, view.nextEnabled);
    Enable(controls.prevPageButton, view.previousEnabled);
    for (std::size_t k = 0; k < view.modeEnabled.size(); ++k) Enable(controls.modeButtons[k], view.modeEnabled[k]);
    EnableSongControls();
    for (std::size_t r = 0; r < view.rows.size(); ++r) {
        const TrackRow& row = view.rows[r];
        SetWindowTextA(controls.trackToggles[r], row.caption.c_str());
        SetWindowTextA(controls.trackInfoLabels[r], row.info.c_str());
        SendMessageA(controls.trackToggles[r], BM_SETCHECK, row.checked ? BST_CHECKED : BST_UNCHECKED, 0);
    }
}

void ShowPreviousTrackPage() {
    --trackPage;
    RefreshTrackPage();
}

void ShowNextTrackPage() {
    ++trackPage;
    RefreshTrackPage();
}

void SetDisplayMode(int mode) {
    displayMode = mode;
    RefreshTrackPage();
}

// The page is not rewritten: the toggle already shows what it stores.
void StoreTrackSelection(int row) {
    const std::int64_t t = TrackOfRow(trackPage, row);
    if (row < 0 || row >= kTrackRows || t < 0 || t >= static_cast<std::int64_t>(kMaxTracks)) return;
    const LRESULT state = SendMessageA(controls.trackToggles[static_cast<std::size_t>(row)], BM_GETCHECK, 0, 0);
    tracks[static_cast<std::size_t>(t)].selected = state == BST_CHECKED ? 1 : 0;
}

}  // namespace solvena::app
