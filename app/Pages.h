// The main window's four tab pages: which controls each page shows, and the page change.
#pragma once

namespace solvena::app {

enum Page : int {
    kTrackPage = 0,
    kRecordingPage = 1,
    kDevicePage = 2,
    kVersionPage = 3,
};
constexpr int kPageCount = 4;

// Shows the members of `page` (SW_SHOWNA) and hides those of every other page, page by page
// in page order. Controls that belong to no page are left alone.
void ApplyPageMembership(int page);

// TCN_SELCHANGE: redraws the page frame and applies the membership of the tab's selection.
void OnPageChange();

}  // namespace solvena::app
