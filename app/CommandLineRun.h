// Recording a job list named on the command line (/run), with no box: its list, its run, its
// report beside the list and the program's exit code.
#pragma once

#include "app/model/CommandLine.h"

namespace solvena::app {

// Takes a runList request, and a refused one that asked for /run (whose reason is reported as
// the run's failure). True while the run goes on; false when it ended at once.
bool RunJobListFromCommandLine(const StartRequest& request);

}  // namespace solvena::app
