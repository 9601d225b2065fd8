// Files dropped on the program's windows: a song on the main window opens as 開く opens one, job
// lists on the job stack window load as 読込 loads one.
#pragma once

#include <string>
#include <vector>

namespace solvena::app {

// One song only: several are refused, since only one can be shown and a drop has no order the
// user chose.
void OpenDroppedSong(const std::vector<std::string>& files);
// Every list, in the drop's order, after 読込's one question.
void LoadDroppedJobLists(const std::vector<std::string>& files);

}  // namespace solvena::app
