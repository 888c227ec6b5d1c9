#pragma once

#include <array>

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
    bool isOpen() const { return window_.open(); }

private:
    void Form_Load();
    void bindLinks();
    void paintSeparators();
    void openLink(void (LinkLauncher::*open)());

    AppServices& services_;
    win32::Window window_;
    std::array<win32::Link*, 4> links_{};
};

} // namespace kelvora
