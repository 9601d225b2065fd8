// First at start-up, after the instance: fills the settings (app/Settings.h) from the executable's folder, general.ini
// and the devices' names.
#pragma once

#include <windows.h>

namespace solvena::app {

void LoadSettings(HINSTANCE instance);

}  // namespace solvena::app
