// The three fonts every window of the program uses (app::smallFont, normalFont, labelFont).
#pragma once

namespace solvena::app {

// Start-up step 3: small, normal, then label font.
void CreateFonts();
// The main window's destruction deletes them.
void DeleteFonts();

}  // namespace solvena::app
