// At start-up: a run that did not end (a crash, a power cut, a killed process) left its journal,
// and the user may have the stack back as it was, its finished jobs switched off.
#pragma once

namespace solvena::app {

// Asks once when the start folder holds such a journal; either answer removes it.
void OfferUnfinishedRun();

}  // namespace solvena::app
