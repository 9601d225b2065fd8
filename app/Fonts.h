// The three fonts every window of the program uses (app::smallFont, normalFont, labelFont).
#pragma once

namespace solvena::app {

// Made at start-up once the settings are read: small, normal, then label font.
void CreateFonts();
// The main window's destruction deletes them.
void DeleteFonts();

}  // namespace solvena::app
