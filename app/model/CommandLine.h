// What the command line asks the program to do at start-up: open a song (Explorer's "open with",
// a file dropped on the program's icon, a file association) or record a job list. Decided from
// the arguments alone, so it is tested natively; the Windows side hands them in, in the ANSI code
// page.
#pragma once

#include <string>
#include <vector>

namespace solvena {

enum class StartRequestKind { none, openSong, runList, refused };

struct StartRequest {
    StartRequestKind kind = StartRequestKind::none;
    std::string path;        // the song, or the job list to record (a refused /run's too)
    bool overwrite = false;  // /overwrite: existing WAV files are recorded over
    // /run was asked for, even when the rest was refused: such a request answers with its exit
    // code and its report, never with a box, since nobody may be there to close one.
    bool wantedRun = false;
    std::string refusal;  // refused: what was not understood, and what is accepted
};

// The arguments after the program's name. SONG opens the song; /run LIST with an optional
// /overwrite before or after LIST records the list (switches in any case). Anything else is refused.
StartRequest ParseCommandLine(const std::vector<std::string>& args);

}  // namespace solvena
