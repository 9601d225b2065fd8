#include "Scenario.h"

#include "CommonControls.h"
#include "Input.h"
#include "Options.h"
#include "Screenshot.h"

namespace uidriver {

namespace {

std::string TestName(char separator) {
    const ::testing::TestInfo* info = ::testing::UnitTest::GetInstance()->current_test_info();
    std::string name = std::string(info->test_suite_name()) + separator + info->name();
    // Parameterised names hold "/", which a file name cannot.
    for (char& c : name) {
        if (c == '/' || c == '\\') c = '_';
    }
    return name;
}

}  // namespace

::testing::AssertionResult Scenario::Launch(const ProgramSetup& setup, const std::string& exeName) {
    std::string error;
    if (!run_.Start(TestName('.'), setup, exeName, &error)) return ::testing::AssertionFailure() << error;
    match_ = MatchMainWindowControls(Main());
    return ::testing::AssertionSuccess();
}

::testing::AssertionResult Scenario::Relaunch() {
    std::string error;
    if (!run_.Restart(&error)) return ::testing::AssertionFailure() << error;
    match_ = MatchMainWindowControls(Main());
    return ::testing::AssertionSuccess();
}

std::string Scenario::FolderOfThisRun() {
    char full[MAX_PATH] = {};
    GetFullPathNameA((CurrentOptions().runsFolder + "\\" + TestName('.')).c_str(), MAX_PATH, full, nullptr);
    return full;
}

HWND Scenario::Control(const std::string& name) {
    auto it = match_.found.find(name);
    if (it == match_.found.end()) {
        ADD_FAILURE() << "the main window has no control " << name;
        return nullptr;
    }
    return it->second;
}

::testing::AssertionResult Scenario::ShowPage(int page) {
    HWND tab = Control("tabControl");
    if (!tab) return ::testing::AssertionFailure() << "no tab control";
    if (!ClickTab(Process(), tab, page)) {
        return ::testing::AssertionFailure() << "clicking tab " << page << " left the selection at "
                                             << TabSelection(tab);
    }
    return ::testing::AssertionSuccess();
}

std::optional<SeenMessageBox> Scenario::ClickForMessageBox(HWND button) {
    if (!Click(button)) return std::nullopt;
    return WaitForMessageBox(run_.processId(), 5000);
}

void Scenario::SavePicture(HWND window, const std::string& label) {
    std::string path = CurrentOptions().shotsFolder + "\\" + TestName('-') + "-" + label + ".bmp";
    EXPECT_TRUE(SaveWindowPicture(window, path)) << "could not save " << path;
}

std::string CrLfLines(std::initializer_list<const char*> lines) {
    std::string text;
    for (const char* line : lines) {
        text += line;
        text += "\r\n";
    }
    return text;
}

}  // namespace uidriver
