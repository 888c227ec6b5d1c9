#pragma once

#include <array>
#include <memory>
#include <vector>

#include "frontend/AppServices.h"
#include "info/LinkLauncher.h"
#include "app/Navigation.h"
#include "memory/MainTicker.h"
#include "win32ui/Window.h"

namespace kelvora {

class AboutWindowWin;
class CpuPageWin;
class UpdateWindowWin;
class MemoryPageWin;


// The main window: header, navigation column, four pages in one place, update tile, footer and menu bar.
class MainWindowWin {
public:
    static constexpr int kPages = 4;
    static constexpr int kHoverBars = 6;

    explicit MainWindowWin(AppServices& services);
    ~MainWindowWin();

    // Creates, fills and shows the window and starts GlobalTimer.
    bool Form_Load();
    HWND handle() const { return window_.handle(); }

    void ShowPage(int index);
    void ShowHoverImage(int index);

private:
    void buildMenu();
    void buildPages();
    void onMenu(int id);
    bool onMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result);
    void runCommand(navigation::Command command, int page);
    void GlobalTimer_Timer();
    void Form_Unload();
    void saveLanguage();
    void showAbout();
    void showUpdate();
    void onTimer(UINT_PTR id);
    void bindNavigation();
    void showFocusCue(const navigation::Item* item);

    AppServices& services_;
    MainTicker ticker_;
    LinkLauncher links_;
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
    bool timerRunning_ = false;
    int shownHoverBar_ = -2; // none drawn yet
    const navigation::Item* focusCue_ = nullptr; // the item showing the keyboard focus cue
};

} // namespace kelvora
