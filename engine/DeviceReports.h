// The messages shown when a multimedia call of a run reports a failure. The same result code
// reads differently depending on the call and on where the run makes it.
#pragma once

#include "engine/DeviceSeam.h"

namespace solvena {

enum class ReportCall {
    // Starting the capture of a job.
    captureOpen,
    capturePrepare,
    captureAdd,
    captureStart,
    // Putting a filled capture buffer back into the device.
    recyclePrepare,
    recycleAdd,
    // Starting the playback of a job.
    streamOpen,
    streamRestart,
    streamPrepare,
    streamOut,
};

// The message for that call's result; nullptr when the code is not reported there (0 included).
const char* ReportText(ReportCall call, devices::MmResult code);

}  // namespace solvena
