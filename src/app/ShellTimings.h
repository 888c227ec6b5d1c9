#pragma once

namespace kelvora {

// The shell's timers, the same in every front end.
namespace splash {

inline constexpr int kTickMs = 300;
// The client area in pixels, inside a thin fixed frame the window draws itself since it has no title bar.
inline constexpr int kClientWidth = 392;
inline constexpr int kClientHeight = 88;
inline constexpr int kFrameWidth = 2;

// Counts the splash's ticks: it closes itself on the third one, about a second after it appeared.
class SplashClock {
public:
    void restart() { ticks_ = 0; }
    // True on the tick that closes the splash.
    bool tick() { return ++ticks_ == kTicksShown; }
    int ticks() const { return ticks_; }

private:
    static constexpr int kTicksShown = 3;
    int ticks_ = 0;
};

} // namespace splash

namespace mainwindow {

inline constexpr int kGlobalTickMs = 100;
// The silent update check is started this long after the main window appeared.
inline constexpr int kAutoUpdateDelayMs = 1000;

} // namespace mainwindow

} // namespace kelvora
