#pragma once

#include "frontend/AppServices.h"
#include "info/LinkLauncher.h"
#include "win32ui/Window.h"

namespace kelvora {

// The About window; modeless, owned by the main window, destroyed when closed.
class AboutWindowWin {
public:
    explicit AboutWindowWin(AppServices& services);

    // Creates and shows the window over `owner`, or brings it forward when it is open.
    bool show(HWND owner);
    bool isOpen() const { return IsWindow(window_.handle()) != FALSE; }

private:
    void Form_Load();
    void onCommand(const char* control, int code);
    void paintSeparators();
    void openLink(void (LinkLauncher::*open)());

    AppServices& services_;
    win32::Window window_;
};

} // namespace kelvora
