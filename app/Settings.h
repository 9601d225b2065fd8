// The settings: where the MIDI open dialog starts, where the instrument names are, and the
// devices preselected on the device page. Filled once by LoadSettings before any window exists
// and never changed afterwards. User-interface thread only.
#pragma once

#include <array>
#include <cstdint>

#include "app/model/SettingsFile.h"

namespace solvena::app {

// Zero-terminated texts in the ANSI code page; 255 characters usable.
extern std::array<char, kSettingsPathSize> startFolder;
extern std::array<char, kSettingsPathSize> instrumentsPath;
// Device numbers named by general.ini; 0 (the system's first device) when nothing matched.
extern std::uint32_t waveInDeviceId;
extern std::uint32_t midiOutDeviceId;

}  // namespace solvena::app
