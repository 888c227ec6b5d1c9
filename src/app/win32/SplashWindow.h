#pragma once

#include <functional>

#include "app/ShellTimings.h"
#include "win32ui/Window.h"

namespace kelvora {

class StringTable;

// The splash: banner, line and the loading caption for three ticks of 300 ms, then `finished`.
class SplashWindow {
public:
    SplashWindow(const StringTable& strings, std::function<void()> finished);
    bool show();

private:
    void tick();

    const StringTable& strings_;
    std::function<void()> finished_;
    win32::Window frame_;
    win32::Window client_;
    splash::SplashClock clock_;
};

} // namespace kelvora
