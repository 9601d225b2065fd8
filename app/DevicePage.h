// The device settings page: device and format lists, probing, the device check and the
// control panel button. The controls themselves come from the main window's control table.
#pragma once

namespace solvena::app {

// While the main window is built: probe device 0 for the rate and depth lists, then list the
// WAVE IN and MIDI OUT devices as "N: name".
void FillDeviceLists();
// Once the lists are filled: the initial selections (WAVE IN, MIDI OUT from the settings;
// 44100 Hz, 16 bit, STEREO).
void SelectInitialDeviceEntries();
// Command 18 with CBN_CLOSEUP: the selection becomes the probe device; rates and depths are
// probed again and reselected.
void OnWaveInCloseUp();
// Command 8. A list without a selection (no devices, or a device offering fewer rates or depths
// than the initial positions) is named in the message instead of being read.
void OnDeviceCheck();
// Command 9.
void OnControlPanel();

}  // namespace solvena::app
