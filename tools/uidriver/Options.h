// Where the driver finds the program and puts what it makes; set once from the command line.
#pragma once

#include <string>

namespace uidriver {

struct Options {
    std::string programExe;   // the loopback build of the program
    std::string runsFolder;   // one fresh folder per scenario below it
    std::string shotsFolder;  // screenshots (BMP)
    std::string sourceFolder;  // the source tree, for the checking scripts
};

const Options& CurrentOptions();
// Takes --program=, --runs=, --shots= and --source= out of argv; the defaults are relative to this
// driver (build/<preset>/tools/uidriver/): ../../app/solvena-loopback.exe, ../../ui-runs,
// ../../screenshots and ../../../.. (the source tree).
bool ParseOptions(int& argc, char** argv);

}  // namespace uidriver
