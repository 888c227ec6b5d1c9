#pragma once

#include <string>

#include "alert/AlertMotion.h"
#include "win32ui/Window.h"

namespace kelvora {

// The notification popup: slides up at the screen's bottom-right corner, rests, slides back down and closes.
// It never takes the focus and has no owner.
class AlertWindowWin {
public:
    AlertWindowWin();
    AlertWindowWin(const AlertWindowWin&) = delete;
    AlertWindowWin& operator=(const AlertWindowWin&) = delete;
    bool show(const std::string& title, const std::string& message);
    bool finished() const { return motion_.phase() == AlertMotion::Phase::Finished; }

    // A new popup on every call, shown without waiting; popups that have finished are cleared away.
    static void FlatStyle(const std::string& title, const std::string& message);

private:
    void onTimer();
    void place();
    void paint();

    AlertMotion motion_;
    win32::Brush bandBrush_;
    win32::Window window_;
};

} // namespace kelvora
