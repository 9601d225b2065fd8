// Pictures of the program's windows for a person to look at: the window's rectangle copied from
// the screen (so what is drawn is what the display shows) into a 24-bit BMP file.
#pragma once

#include <windows.h>

#include <string>

namespace uidriver {

// Lets the program paint, then saves the window's screen rectangle to `path`.
bool SaveWindowPicture(HWND window, const std::string& path);

}  // namespace uidriver
