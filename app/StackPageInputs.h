// What the commands that stack from the pages (スタック, トラック別) share: the pages' inputs and
// the main window's boxes for their refusals and questions.
#pragma once

#include <string>

#include "jobs/JobStacking.h"

namespace solvena::app {

StackInputs ReadStackInputs();
// An OK box under "スタック失敗".
void RefuseStacking(const std::string& text);
// A はい/いいえ box under "確認"; true for はい.
bool AskStackQuestion(const std::string& text);
// 録音 in the job stack window works while the main window is live, even while a box of these
// commands is up: from its first question the table is the run's. True, after telling the user,
// when nothing may be stacked.
bool RunHoldsTheTable();

}  // namespace solvena::app
