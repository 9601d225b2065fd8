#include "engine/win32/MainWindowLink.h"

namespace solvena::engine {

namespace {

MainWindowLink installed;

}  // namespace

void SetMainWindowLink(const MainWindowLink& link) { installed = link; }

const MainWindowLink& CurrentMainWindowLink() { return installed; }

}  // namespace solvena::engine
