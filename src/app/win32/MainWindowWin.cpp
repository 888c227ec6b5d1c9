#include "app/win32/MainWindowWin.h"

#include <cstdlib>
#include <string_view>
#include <vector>

#include "app/MainWindowControls.h"
#include "app/Navigation.h"
#include "app/ShellLogic.h"
#include "app/ShellTimings.h"
#include "frontend/FixedTexts.h"
#include "info/Version.h"
#include "info/win32/AboutWindowWin.h"
#include "memory/win32/MemoryPageWin.h"
#include "process/win32/CpuPageWin.h"
#include "settings/LanguageSetting.h"
#include "settings/StringTable.h"
#include "update/UpdateWindowSteps.h"
#include "update/win32/UpdateWindowWin.h"
#include "win32ui/Colour.h"

namespace kelvora {

namespace {

constexpr int kClientWidth = kMainClientWidth;
constexpr int kClientHeight = kMainClientHeight;
constexpr UINT_PTR kGlobalTimerId = 1;
// Timer3 waits a second after the load, then the silent update check waits a little more.
constexpr UINT_PTR kTimer3Id = 3;
constexpr UINT_PTR kSilentCheckTimerId = 4;
// A panel refresh runs as a message of its own, after the tick's handler has returned, so the timer keeps ticking
// through a release it may start.
constexpr UINT kRefreshPanelMessage = WM_APP + 1;
constexpr int kSlotLanguageSaved = 220;
constexpr std::array<const char*, 6> kHoverBarNames{"a1", "a2", "a3", "a4", "a5", "a6"};

// Menu item i of the shared table has the command id kFirstMenuId + i.
constexpr UINT kFirstMenuId = 1;

// The main window's own controls; the page containers come with their pages.
std::vector<ControlSpec> mainControlsWithoutPages() {
    std::vector<ControlSpec> controls;
    for (const ControlSpec& row : mainWindowControls())
        if (row.kind != ControlKind::Tab)
            controls.push_back(row);
    return controls;
}

} // namespace

MainWindowWin::MainWindowWin(AppServices& services)
    : services_(services), links_(services.registry, services.shell, services.files, services.vendorUrl) {}

MainWindowWin::~MainWindowWin() = default;

bool MainWindowWin::Form_Load() {
    const DWORD style = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX | WS_CLIPCHILDREN;
    if (!window_.createTopLevel(win32::wide(kAppTitle), style, WS_EX_CONTROLPARENT, kClientWidth, kClientHeight,
                                CreateMenu()))
        return false;
    buildMenu();
    const std::vector<ControlSpec> controls = mainControlsWithoutPages();
    window_.addControls(controls, services_.strings);
    window_.setPicture("Image1", L"BANNER");
    window_.setPicture("Image12", L"VERSIONPIC");
    window_.setPicture("Label2", L"VERSIONPIC");
    window_.setPicture("Image2", L"NAVPANEL");
    for (const char* bar : kHoverBarNames)
        window_.setPicture(bar, L"HOVERBAR");
    window_.setPicture("Image9", L"UPDATETILE");
    window_.setPicture("Image10", L"FOOTER");
    window_.setText("Label1", services_.strings[findControl(mainWindowControls(), "Label1").slot] + " " +
                                  programVersionText());
    window_.setText("Label17", fixedtext::kFooterNotice);
    window_.setTextColour("Label22", win32::colourOf(palette::kLink));
    // Drawn controls carry their names as window text, which UI Automation reads; the update tile's picture does
    // what its text says, so it is named by it.
    window_.setText("Image1", kAppTitle);
    window_.setText("Image9", services_.strings[findControl(mainWindowControls(), "Label21").slot]);
    window_.hooks.command = [this](const char* control, int code) { onCommand(control, code); };
    window_.hooks.timer = [this](UINT_PTR id) { onTimer(id); };
    window_.hooks.message = [this](UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) {
        return onMessage(message, wParam, lParam, result);
    };
    orderNavigation();
    buildPages();
    ShowHoverImage(-1);
    ShowPage(0);

    // From here the first failure ends the initialisation; the window is shown all the same.
    try {
        memoryPage_->setDefaults();
        ticker_.PanelRefreshTicks = 10;
        ticker_.PriorityCheckTicks = 20;
        timerRunning_ = SetTimer(handle(), kGlobalTimerId, mainwindow::kGlobalTickMs, nullptr) != 0;
        cpuPage_->setDefaults();
    } catch (...) {
    }
    ShowWindow(handle(), SW_SHOW);
    UpdateWindow(handle());
    SetTimer(handle(), kTimer3Id, mainwindow::kAutoUpdateDelayMs, nullptr);
    return true;
}

void MainWindowWin::onTimer(UINT_PTR id) {
    if (id == kGlobalTimerId) {
        GlobalTimer_Timer();
    } else if (id == kTimer3Id) {
        KillTimer(handle(), kTimer3Id);
        SetTimer(handle(), kSilentCheckTimerId, updatewindow::kSilentCheckDelayMs, nullptr);
    } else if (id == kSilentCheckTimerId) {
        // Stopped before the download starts, so no second check can begin inside the wait.
        KillTimer(handle(), kSilentCheckTimerId);
        if (!autoUpdate_) {
            autoUpdate_ = std::make_unique<UpdateWindowWin>(services_, CheckVariant::Silent);
            autoUpdate_->start(nullptr);
        }
    }
}

void MainWindowWin::buildMenu() {
    const StringTable& s = services_.strings;
    auto caption = [&s](const char* name) { return win32::wide(s[findControl(mainMenuControls(), name).slot]); };
    HMENU bar = GetMenu(handle());
    std::array<HMENU, navigation::kMenus.size()> menus{};
    for (HMENU& menu : menus)
        menu = CreatePopupMenu();
    for (std::size_t i = 0; i < navigation::kMenuItems.size(); ++i) {
        const navigation::MenuItem& item = navigation::kMenuItems[i];
        HMENU menu = menus[static_cast<std::size_t>(item.menu)];
        if (item.command == navigation::Command::None)
            AppendMenuW(menu, MF_SEPARATOR, 0, nullptr);
        else
            AppendMenuW(menu, MF_STRING, kFirstMenuId + i, caption(item.control).c_str());
    }
    for (std::size_t i = 0; i < menus.size(); ++i)
        AppendMenuW(bar, MF_POPUP, reinterpret_cast<UINT_PTR>(menus[i]), caption(navigation::kMenus[i]).c_str());
    DrawMenuBar(handle());
}

void MainWindowWin::buildPages() {
    const ControlTable main = mainWindowControls();
    auto pageCommands = [this](const char* control, int code) { onPageCommand(control, code); };
    infoPage_.createPage(handle(), findControl(main, "x1"), services_.strings);
    infoPage_.addControls(informationPageControls(), services_.strings);
    infoPage_.hooks.command = pageCommands;

    cpuPage_ = std::make_unique<CpuPageWin>(services_);
    cpuPage_->create(handle(), findControl(main, "x2"));
    memoryPage_ = std::make_unique<MemoryPageWin>(services_, ticker_, handle());
    memoryPage_->create(handle(), findControl(main, "x3"));

    settingsPage_.createPage(handle(), findControl(main, "x4"), services_.strings);
    settingsPage_.addControls(settingsPageControls(), services_.strings);
    settingsPage_.hooks.command = pageCommands;
    HWND languages = settingsPage_.control("optLang");
    for (const char* name : kLanguageNames)
        SendMessageW(languages, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(win32::wide(name).c_str()));
    // The list is named by the label before it, as UI Automation names a control by the static text before it.
    SendMessageW(languages, CB_SETCURSEL, static_cast<WPARAM>(languageIndex(readCurLang(services_.registry))), 0);

    pages_ = {infoPage_.handle(), cpuPage_->window().handle(), memoryPage_->window().handle(), settingsPage_.handle()};
}

void MainWindowWin::ShowPage(int index) {
    for (int i = 0; i < kPages; ++i)
        ShowWindow(pages_[static_cast<std::size_t>(i)], i == index ? SW_SHOW : SW_HIDE);
}

void MainWindowWin::ShowHoverImage(int index) {
    if (index == shownHoverBar_)
        return;
    shownHoverBar_ = index;
    for (int i = 0; i < kHoverBars; ++i)
        window_.showControl(kHoverBarNames[static_cast<std::size_t>(i)], i == index);
    // The captions above the bars draw the picture beneath them through, so they are drawn again.
    for (const navigation::Item& item : navigation::kItems)
        if (item.hoverBar >= 0)
            window_.redraw(item.control);
}

void MainWindowWin::orderNavigation() {
    // Tab follows the stacking order: the navigation items top to bottom, before the pages created after them. The
    // tile's second text shares its first text's stop and stays beneath it.
    for (std::size_t i = navigation::kItems.size(); i-- > 0;) {
        const navigation::Item& entry = navigation::kItems[i];
        HWND item = window_.control(entry.control);
        if (!entry.tabStop)
            SetWindowLongPtrW(item, GWL_STYLE, GetWindowLongPtrW(item, GWL_STYLE) & ~WS_TABSTOP);
        SetWindowPos(item, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    }
}

void MainWindowWin::showFocusCue(const navigation::Item* item) {
    if (focusCue_ && focusCue_->hoverBar < 0)
        window_.setUnderlined(focusCue_->control, false);
    focusCue_ = item;
    if (item && item->hoverBar < 0)
        window_.setUnderlined(item->control, true);
    ShowHoverImage(item ? item->hoverBar : -1);
}

void MainWindowWin::onCommand(const char* control, int code) {
    if (code == BN_SETFOCUS || code == BN_KILLFOCUS) {
        // A press of the mouse also moves the focus; the pointer's own hover bar stands for it then.
        const auto reason = GetKeyState(VK_LBUTTON) < 0 ? navigation::FocusReason::Other
                                                        : navigation::FocusReason::Keyboard;
        const navigation::Item* item = navigation::findItem(control);
        showFocusCue(code == BN_SETFOCUS && navigation::showsFocusCue(reason) ? item : nullptr);
        return;
    }
    if (code != BN_CLICKED)
        return;
    if (std::string_view(control) == "Image9") {
        runCommand(navigation::Command::ShowUpdate, -1);
        return;
    }
    if (const navigation::Item* item = navigation::findItem(control))
        runCommand(item->command, item->page);
}

void MainWindowWin::runCommand(navigation::Command command, int page) {
    switch (command) {
    case navigation::Command::ShowPage:
        ShowPage(page);
        break;
    case navigation::Command::EndProgram:
        std::_Exit(0);
    case navigation::Command::ShowAbout:
        showAbout();
        break;
    case navigation::Command::ShowUpdate:
        showUpdate();
        break;
    case navigation::Command::OpenReadme:
        links_.OpenReadme();
        break;
    case navigation::Command::OpenLicence:
        links_.OpenLicenseDocument();
        break;
    case navigation::Command::OpenHomePage:
        links_.OpenHomePage();
        break;
    case navigation::Command::None:
        break;
    }
}

void MainWindowWin::onPageCommand(const char* control, int code) {
    if (code != BN_CLICKED)
        return;
    const std::string_view name = control;
    if (name == "Command1") {
        links_.OpenForum();
    } else if (name == "Command2") {
        win32::messageBox(handle(), services_.strings[kSlotLanguageSaved], MB_ICONINFORMATION);
        const auto index = SendMessageW(settingsPage_.control("optLang"), CB_GETCURSEL, 0, 0);
        if (index >= 0 && index < static_cast<LRESULT>(kLanguageNames.size()))
            saveCurLang(services_.registry, kLanguageNames[static_cast<std::size_t>(index)]);
    }
}

void MainWindowWin::showAbout() {
    // A closed About window is gone with its controls; the next opening builds a new one.
    if (!about_ || !about_->isOpen())
        about_ = std::make_unique<AboutWindowWin>(services_);
    about_->show(handle());
}

void MainWindowWin::showUpdate() {
    std::erase_if(updates_, [](const std::unique_ptr<UpdateWindowWin>& update) { return update->finished(); });
    if (!updates_.empty() && updates_.back()->open()) {
        updates_.back()->bringForward();
        return;
    }
    updates_.push_back(std::make_unique<UpdateWindowWin>(services_, CheckVariant::OnDemand));
    updates_.back()->start(handle());
}

void MainWindowWin::onMenu(int id) {
    const auto index = static_cast<std::size_t>(id) - kFirstMenuId;
    if (id >= static_cast<int>(kFirstMenuId) && index < navigation::kMenuItems.size())
        runCommand(navigation::kMenuItems[index].command, -1);
}

bool MainWindowWin::onMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) {
    switch (message) {
    case WM_COMMAND:
        if (lParam != 0)
            return false;
        onMenu(LOWORD(wParam));
        return true;
    case kRefreshPanelMessage:
        // The unload stops the timer; a refresh still queued then must not start a release.
        if (timerRunning_)
            memoryPage_->RefreshMemoryPanel();
        return true;
    case WM_SETCURSOR: {
        // The pointer over a navigation item shows its hover bar, over the bar itself keeps it, elsewhere none.
        auto* under = win32::fromParam<HWND>(wParam);
        for (const char* bar : kHoverBarNames)
            if (under == window_.control(bar))
                return false;
        int shown = focusCue_ ? focusCue_->hoverBar : -1;
        for (const navigation::Item& item : navigation::kItems)
            if (item.hoverBar >= 0 && under == window_.control(item.control))
                shown = item.hoverBar;
        ShowHoverImage(shown);
        return false;
    }
    case WM_LBUTTONDOWN:
        // Moving the window by the mouse starts only from the bare background with the left button alone.
        if (startsWindowDrag(wParam == MK_LBUTTON ? HeldButtons::LeftOnly : HeldButtons::Other, true)) {
            ReleaseCapture();
            SendMessageW(handle(), WM_NCLBUTTONDOWN, HTCAPTION, 0);
        }
        return true;
    case WM_CLOSE:
        Form_Unload();
        DestroyWindow(handle());
        return true;
    case WM_DESTROY:
        PostQuitMessage(0);
        result = 0;
        return true;
    default:
        return false;
    }
}

void MainWindowWin::GlobalTimer_Timer() {
    const MainTicker::Due due = ticker_.tick();
    if (due.refreshPanel)
        PostMessageW(handle(), kRefreshPanelMessage, 0, 0);
    if (due.checkPriority)
        cpuPage_->optimizer().UpdateForegroundPriority();
    else
        cpuPage_->optimizer().RetryHeldChanges(); // one more try for what the system refused for now
}

void MainWindowWin::Form_Unload() {
    memoryPage_->releaseBlocks();
    KillTimer(handle(), kGlobalTimerId);
    timerRunning_ = false;
    KillTimer(handle(), kTimer3Id);
    KillTimer(handle(), kSilentCheckTimerId);
    // Owned windows close with their owner; a check in progress ends with the window, so no question follows.
    for (const auto& update : updates_)
        update->cancel();
    if (autoUpdate_)
        autoUpdate_->cancel();
}

} // namespace kelvora
