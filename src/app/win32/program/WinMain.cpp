#include "win32ui/Window.h" // first: the platform headers before <windows.h>

#include <commctrl.h>

#include <memory>

#include "app/ProgramStart.h"
#include "app/win32/MainWindowWin.h"
#include "app/win32/SplashWindow.h"
#include "frontend/SystemServices.h"

int WINAPI wWinMain(HINSTANCE /*instance*/, HINSTANCE /*previous*/, PWSTR /*commandLine*/, int /*show*/) {
    using namespace kelvora;

    INITCOMMONCONTROLSEX controls{sizeof(controls), ICC_STANDARD_CLASSES | ICC_TAB_CLASSES | ICC_PROGRESS_CLASS};
    InitCommonControlsEx(&controls);

    SystemServices system(
        programVendorUrl([](const std::string& refusal) { win32::messageBox(nullptr, refusal, MB_ICONWARNING); }));
    if (!beginProgram(*system.registry, *system.files, system.strings, *system.instance,
                      [](const std::string& text) { win32::messageBox(nullptr, text, MB_ICONERROR); }))
        return 0;

    std::unique_ptr<MainWindowWin> mainWindow;
    SplashWindow splash(system.strings, [&] {
        mainWindow = std::make_unique<MainWindowWin>(system.services);
        if (mainWindow->create())
            mainWindow->controller().afterSplash();
        else
            PostQuitMessage(1);
    });
    if (!splash.show())
        return 1;
    return win32::runMessageLoop();
}
