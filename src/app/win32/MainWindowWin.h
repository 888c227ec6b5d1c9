#pragma once

#include <array>
#include <memory>
#include <vector>

#include "app/ShellController.h"
#include "frontend/AppServices.h"
#include "win32ui/Window.h"

namespace kelvora {

class AboutWindowWin;
class CpuPageWin;
class UpdateWindowWin;
class MemoryPageWin;

// The main window: header, navigation column, four pages in one place, update tile, footer and menu bar. What it
// does is the shell controller's; this class binds the controls to it.
class MainWindowWin : private ShellView, private ShellTimers {
public:
    static constexpr int kPages = 4;
    static constexpr int kHoverBars = 6;

    explicit MainWindowWin(AppServices& services);
    ~MainWindowWin() override;

    // Creates the window with its controls, hidden; the controller's load fills and shows it.
    bool create();
    ShellController& controller() { return controller_; }
    HWND handle() const { return window_.handle(); }

private:
    void buildMenu();
    void buildPages();
    void bindNavigation();
    bool onMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result);
    void onTimer(UINT_PTR id);
    // True where no visible item covers the client point `pos`: the bare background.
    bool isBareBackground(POINT pos) const;
    void ShowHoverImage(int index);

    // ShellView
    void showPage(int page) override;
    void showHoverBar(int bar) override { ShowHoverImage(bar); }
    void setUnderlined(const char* control, bool underlined) override;
    void showAbout() override;
    void showUpdate() override;
    void loadAutoUpdate() override;
    void closeOwnedWindows() override;
    void messageBox(const std::string& text, MessageIcon icon) override;
    void endProgram() override;
    void fillLanguages(const std::array<const char*, 3>& names, int selected) override;
    std::string selectedLanguage() const override;
    void applyTexts() override;
    void setVersionText(const std::string& text) override;
    void yieldToEvents() override;
    void showWindow() override;
    void postPanelRefresh() override;
    void setMemoryDefaults() override;
    void refreshMemoryPanel() override;
    void releaseMemoryBlocks() override;
    void setCpuDefaults() override;
    void updateForegroundPriority() override;
    void retryHeldPriorityChanges() override;
    // ShellTimers
    void start(ShellTimer timer, int intervalMs) override;
    void stop(ShellTimer timer) override;

    AppServices& services_;
    ShellController controller_;
    win32::Window window_;
    win32::Window infoPage_;
    win32::Window settingsPage_;
    std::unique_ptr<CpuPageWin> cpuPage_;
    std::unique_ptr<MemoryPageWin> memoryPage_;
    std::unique_ptr<AboutWindowWin> about_;
    // Update windows on demand; a closed one stays until its check has left the stack.
    std::vector<std::unique_ptr<UpdateWindowWin>> updates_;
    std::unique_ptr<UpdateWindowWin> autoUpdate_;
    std::array<HWND, kPages> pages_{};
    int shownHoverBar_ = -2; // none drawn yet
};

} // namespace kelvora
