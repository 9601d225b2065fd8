// Where the driver finds the program and puts what it makes; set once from the command line.
#pragma once

#include <string>

namespace uidriver {

struct Options {
    std::string programExe;   // the loopback build of the program
    std::string runsFolder;   // one fresh folder per scenario below it
    std::string shotsFolder;  // screenshots (BMP)
    std::string sourceFolder;  // the source tree, for the checking scripts
    std::string demoFolder;    // where the demo recording leaves its song, WAV and pictures
    std::string packageFolder;  // an unpacked release package; its scenarios skip without one
};

const Options& CurrentOptions();
// The product build, built beside the loopback build.
std::string ProductExe();
// Takes --program=, --runs=, --shots=, --source=, --demo= and --package= out of argv; the defaults are
// relative to this driver (build/<preset>/tools/uidriver/): ../../app/solvena-loopback.exe, ../../ui-runs,
// ../../screenshots, ../../../.. (the source tree) and demo\ in the runs folder; no package.
bool ParseOptions(int& argc, char** argv);

}  // namespace uidriver
