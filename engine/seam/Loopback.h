// Hooks of the loopback devices for tests that run in the same process. The program itself
// reads loopback-devices.txt beside its executable the first time a device is asked about.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "engine/DeviceSeam.h"

namespace solvena::devices {

// Replaces the devices with those of the file at path (format: engine/LoopbackDeviceFile.h).
// False when the file cannot be read or is not valid; there are then no devices.
bool LoopbackLoadDeviceFile(const std::string& path);
// Reads loopback-devices.txt beside the executable again, as the first device call does: a
// missing file means no devices and is not a failure.
bool LoopbackLoadDefaultDeviceFile();
// Why the last load failed, with its line number; empty after a successful load.
std::string LoopbackLoadError();

struct LoopbackQueryRecord {
    std::uint32_t device = 0;
    WaveFormat format;
};

// The format queries made since the last call, oldest first; the record is then emptied.
std::vector<LoopbackQueryRecord> LoopbackTakeQueries();

}  // namespace solvena::devices
