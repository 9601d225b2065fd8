// Stands in until the command line's run is built: /run is refused as anything else not understood.
#include "app/CommandLineRun.h"

#include "app/AppState.h"
#include "engine/RunTexts.h"
#include "engine/win32/Prompts.h"

namespace solvena::app {

bool RunJobListFromCommandLine(const StartRequest&) {
    engine::ShowMessageBox(mainWindow, "コマンドラインの /run はまだ使えません。", kNoticeCaption, MB_OK);
    return false;
}

}  // namespace solvena::app
