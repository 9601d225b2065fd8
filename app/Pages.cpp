#include "app/Pages.h"

#include <windows.h>
#include <commctrl.h>

#include <cstddef>
#include <iterator>

#include "app/MainControls.h"
#include "app/SongPicturePage.h"

namespace solvena::app {

namespace {

// A run of controls that belong to one page: a single control or a whole array of them.
struct PageMembers {
    int page;
    HWND* first;
    std::size_t count;
};

// In page order, because the page change walks the pages 0 to 3.
const PageMembers kMembership[] = {
    {kTrackPage, controls.trackInfoLabels.data(), controls.trackInfoLabels.size()},
    {kTrackPage, controls.trackToggles.data(), controls.trackToggles.size()},
    {kTrackPage, controls.modeButtons.data(), controls.modeButtons.size()},
    {kTrackPage, &controls.songFileLabel, 1},
    {kTrackPage, &controls.songTitleLabel, 1},
    {kTrackPage, &controls.prevPageButton, 1},
    {kTrackPage, &controls.nextPageButton, 1},
    {kTrackPage, &controls.openButton, 1},

    {kRecordingPage, &controls.startBarEdit, 1},
    {kRecordingPage, &controls.endBarEdit, 1},
    {kRecordingPage, &controls.reverbEdit, 1},
    {kRecordingPage, &controls.startBarLabel, 1},
    {kRecordingPage, &controls.endBarLabel, 1},
    {kRecordingPage, &controls.reverbLabel, 1},

    {kDevicePage, &controls.deviceHeading, 1},
    {kDevicePage, &controls.outputHeading, 1},
    {kDevicePage, &controls.midiOutLabel, 1},
    {kDevicePage, &controls.waveInLabel, 1},
    {kDevicePage, &controls.midiOutCombo, 1},
    {kDevicePage, &controls.waveInCombo, 1},
    {kDevicePage, &controls.sampleRateLabel, 1},
    {kDevicePage, &controls.bitsLabel, 1},
    {kDevicePage, &controls.channelsLabel, 1},
    {kDevicePage, &controls.sampleRateCombo, 1},
    {kDevicePage, &controls.bitsCombo, 1},
    {kDevicePage, &controls.channelsCombo, 1},
    {kDevicePage, &controls.deviceCheckButton, 1},
    {kDevicePage, &controls.controlPanelButton, 1},

    {kVersionPage, &controls.logoImage, 1},
    {kVersionPage, &controls.versionText, 1},
};

}  // namespace

void ApplyPageMembership(int page) {
    constexpr std::size_t kCount = std::size(kMembership);
    for (std::size_t m = 0; m < kCount; ++m) {
        const PageMembers& members = kMembership[m];
        const int show = members.page == page ? SW_SHOWNA : SW_HIDE;
        for (std::size_t i = 0; i < members.count; ++i) {
            if (members.first[i] != nullptr) ShowWindow(members.first[i], show);
        }
        // The loaded song's picture belongs to page 1 too; its windows come and go with songs.
        const bool lastOfPage1 = members.page == kRecordingPage && (m + 1 == kCount || kMembership[m + 1].page != kRecordingPage);
        if (lastOfPage1) ApplySongPictureMembership(page);
    }
}

void OnPageChange() {
    const int page = static_cast<int>(SendMessageA(controls.tabControl, TCM_GETCURSEL, 0, 0));
    // Hiding and showing the frame again repaints it behind the controls of the new page.
    ShowWindow(controls.pageFrame, SW_HIDE);
    ShowWindow(controls.pageFrame, SW_SHOWNA);
    ApplyPageMembership(page);
}

}  // namespace solvena::app
