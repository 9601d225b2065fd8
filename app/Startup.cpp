#include "app/Startup.h"

#include "app/AppState.h"
#include "app/Fonts.h"
#include "app/LoadSettings.h"
#include "app/MainWindow.h"
#include "app/RunMode.h"
#include "engine/win32/JobStackWindow.h"

namespace solvena::app {

namespace {

constexpr char kMainClass[] = "mainexe";
constexpr char kListClass[] = "ListWindow";
constexpr char kMainTitle[] = "ソルベーナ version 1.00(beta)";
constexpr char kListTitle[] = "スタック･データ";
// Fixed size: no maximise box, no sizing border.
constexpr DWORD kTopLevelStyle = WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX;

// Both classes come from one description; only the name and the procedure differ. A class
// that is already registered (a second start-up in the same process) stays as it is.
void RegisterWindowClasses(HINSTANCE instance) {
    WNDCLASSEXA description{};
    description.cbSize = sizeof description;
    description.style = 0;
    description.hInstance = instance;
    description.hIcon = LoadIconA(instance, "EXEICON");
    description.hIconSm = static_cast<HICON>(LoadImageA(instance, "MINIICON", IMAGE_ICON, 16, 16, 0));
    description.hCursor = LoadCursorA(nullptr, MAKEINTRESOURCEA(32512));  // IDC_ARROW
    description.hbrBackground = GetSysColorBrush(COLOR_ACTIVECAPTION);

    description.lpszClassName = kMainClass;
    description.lpfnWndProc = MainWndProc;
    RegisterClassExA(&description);

    description.lpszClassName = kListClass;
    description.lpfnWndProc = engine::ListWndProc;
    RegisterClassExA(&description);
}

HWND CreateTopLevel(HINSTANCE instance, DWORD exStyle, const char* className, const char* title, int width,
                    int height) {
    return CreateWindowExA(exStyle, className, title, kTopLevelStyle, CW_USEDEFAULT, CW_USEDEFAULT, width, height,
                           nullptr, nullptr, instance, nullptr);
}

}  // namespace

bool CreateTopLevelWindows(HINSTANCE hInstance, int showCommand) {
    instance = hInstance;
    LoadSettings(hInstance);
    CreateFonts();
    InstallMainWindowLink();
    RegisterWindowClasses(hInstance);
    HWND main = CreateTopLevel(hInstance, 0, kMainClass, kMainTitle, 506, 448);
    mainWindow = main;
    jobStackWindow = CreateTopLevel(hInstance, WS_EX_TOOLWINDOW, kListClass, kListTitle, 406, 307);
    engine::InstallJobRowHooks();
    UpdateDropAcceptance();
    ShowWindow(main, showCommand);
    UpdateWindow(main);
    return main != nullptr;
}

void RunMessageLoop() {
    MSG message;
    while (GetMessageA(&message, nullptr, 0, 0) > 0) {
        TranslateMessage(&message);
        DispatchMessageA(&message);
    }
}

}  // namespace solvena::app
