#pragma once

#include "app/Navigation.h"
#include "app/ShellView.h"
#include "frontend/AppServices.h"
#include "info/LinkLauncher.h"
#include "memory/MainTicker.h"

namespace kelvora {

// Where the pointer is over the main window, as the hover rule sees it.
enum class PointerPlace {
    BareBackground, // no picture, label or page covers the point
    Other,          // a picture, a page or a control on it, a caption that is no navigation item
};

// What the main window decides, the same in every front end: its load, the tick, navigation and menus, the hover
// bars and focus cues, Save, and the unload. The front end binds its controls to these calls and implements `view`.
class ShellController {
public:
    ShellController(AppServices& services, ShellView& view, ShellTimers& timers);

    // The main window's whole initialisation, ending with the window shown.
    void load();
    // The splash has gone: loads the main window and starts the countdown to the silent update check.
    void afterSplash();
    // The window manager closes the window: frees the release's blocks, stops the timers, closes owned windows.
    void unload();

    void onTimer(ShellTimer timer);
    void panelRefreshPosted();
    bool globalTimerRunning() const { return globalTimerRunning_; }
    MainTicker& ticker() { return ticker_; }

    // A click, Enter or Space, or an assistive tool's press on a navigation item; the tile's picture counts as
    // its first text.
    void activate(const navigation::Item& item);
    void menuChosen(const navigation::MenuItem& item);
    // Command1 on the information page and Command2 (Save) on the settings page.
    void openForum();
    void save();

    // The pointer moved over a navigation item, or elsewhere.
    void pointerOverItem(const navigation::Item& item);
    void pointerOver(PointerPlace place);
    // The keyboard focus entered or left a navigation item.
    void focusEntered(const navigation::Item& item, navigation::FocusReason reason);
    void focusLeft(const navigation::Item& item);

private:
    void run(navigation::Command command, int page);
    void showBar(int bar, bool byCue);

    AppServices& services_;
    ShellView& view_;
    ShellTimers& timers_;
    LinkLauncher links_;
    MainTicker ticker_;
    bool globalTimerRunning_ = false;
    int shownBar_ = -1;
    bool barShownByCue_ = false; // the bar shown was shown by a focus cue, not by the pointer
};

} // namespace kelvora
