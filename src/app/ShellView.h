#pragma once

#include <array>
#include <string>

namespace kelvora {

enum class MessageIcon { Information, Error };

// The main window's timers, run by the front end's event loop; when one fires the front end calls
// ShellController::onTimer.
enum class ShellTimer { Global, AutoUpdate };

class ShellTimers {
public:
    virtual ~ShellTimers() = default;
    // Starts `timer`, or restarts it, to fire every `intervalMs`.
    virtual void start(ShellTimer timer, int intervalMs) = 0;
    virtual void stop(ShellTimer timer) = 0;
};

// What the shell controller asks of a front end's main window. Each call only binds controls; what to do when is
// the controller's.
class ShellView {
public:
    virtual ~ShellView() = default;

    // Shows page `page` (0 = x1 ... 3 = x4) and hides the other three.
    virtual void showPage(int page) = 0;
    // Shows hover bar `bar` (0 = a1 ... 5 = a6) only; -1 hides all six.
    virtual void showHoverBar(int bar) = 0;
    // Underlines the caption of the navigation item `control` (the update tile's focus cue), or takes it away.
    virtual void setUnderlined(const char* control, bool underlined) = 0;
    virtual void showAbout() = 0;
    virtual void showUpdate() = 0;
    // Loads the hidden update window, which runs the silent check.
    virtual void loadAutoUpdate() = 0;
    // Closes the windows the main window owns and ends a silent check in progress.
    virtual void closeOwnedWindows() = 0;
    // A modal message box titled with the application title; returns once the user closed it.
    virtual void messageBox(const std::string& text, MessageIcon icon) = 0;
    // Terminates the process at once: no window unloads.
    virtual void endProgram() = 0;

    // The load: the language list, the captions, the version text, and the window shown.
    virtual void fillLanguages(const std::array<const char*, 3>& names, int selected) = 0;
    // The text of the language list: "" when nothing is selected.
    virtual std::string selectedLanguage() const = 0;
    virtual void applyTexts() = 0;
    virtual void setVersionText(const std::string& text) = 0;
    // Lets queued events run (timer ticks among them) before the window first shows.
    virtual void yieldToEvents() = 0;
    virtual void showWindow() = 0;

    // Queues ShellController::panelRefreshPosted() as an event of its own, after the tick's handler has returned:
    // the refresh may start a release that yields for seconds while the timer must keep ticking.
    virtual void postPanelRefresh() = 0;

    // The memory and CPU pages.
    virtual void setMemoryDefaults() = 0;
    virtual void refreshMemoryPanel() = 0;
    virtual void releaseMemoryBlocks() = 0;
    virtual void setCpuDefaults() = 0;
    virtual void updateForegroundPriority() = 0;
    // One more try for the priority changes the system refused for now.
    virtual void retryHeldPriorityChanges() = 0;
};

} // namespace kelvora
