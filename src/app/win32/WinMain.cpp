#include "win32ui/Window.h" // first: the platform headers before <windows.h>

#include <commctrl.h>

#include <cstdlib>
#include <memory>

#include "app/win32/MainWindowWin.h"
#include "app/win32/SplashWindow.h"
#include "frontend/SystemServices.h"
#include "info/VendorUrl.h"
#include "settings/Language.h"
#include "settings/LanguageSetting.h"
#include "settings/StringTable.h"

namespace {

constexpr int kSlotAlreadyRunning = 101;

std::string vendorUrl() {
    const kelvora::VendorUrlChoice choice =
        kelvora::chooseVendorUrl(std::getenv("KELVORA_VENDOR_URL"), KELVORA_DEFAULT_VENDOR_URL);
    if (!choice.refusal.empty())
        kelvora::win32::messageBox(nullptr, choice.refusal, MB_ICONWARNING);
    return choice.url;
}

} // namespace

int WINAPI wWinMain(HINSTANCE /*instance*/, HINSTANCE /*previous*/, PWSTR /*commandLine*/, int /*show*/) {
    using namespace kelvora;

    INITCOMMONCONTROLSEX controls{sizeof(controls), ICC_STANDARD_CLASSES | ICC_TAB_CLASSES | ICC_PROGRESS_CLASS};
    InitCommonControlsEx(&controls);

    SystemServices system(vendorUrl());
    StringTable& strings = system.strings;

    LoadLanguage(*system.registry, *system.files, strings,
                 [](const std::string& text) { win32::messageBox(nullptr, text, MB_ICONERROR); });
    // Test and claim in one step, so two copies started together cannot both pass.
    if (!system.instance->claim(kAppTitle)) {
        win32::messageBox(nullptr, strings[kSlotAlreadyRunning], MB_ICONERROR);
        return 0;
    }

    std::unique_ptr<MainWindowWin> mainWindow;
    SplashWindow splash(strings, [&] {
        mainWindow = std::make_unique<MainWindowWin>(system.services);
        if (!mainWindow->Form_Load())
            PostQuitMessage(1);
    });
    if (!splash.show())
        return 1;
    return win32::runMessageLoop();
}
