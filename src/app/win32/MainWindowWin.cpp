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

// Menu item i of the shared table has the command id kFirstMenuId + i, in the range kept for menus.
constexpr UINT kFirstMenuId = win32::Window::kFirstMenuId;

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
    const DWORD style = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_CLIPCHILDREN;
    if (!window_.createTopLevel(win32::wide(kAppTitle), style, WS_EX_CONTROLPARENT, kClientWidth, kClientHeight,
                                CreateMenu()))
        return false;
    buildMenu();
    const std::vector<ControlSpec> controls = mainControlsWithoutPages();
    window_.addControls(controls, services_.strings);
    auto picture = [this](const char* name) -> win32::Picture& { return window_.get<win32::Picture>(name); };
    picture("Image1").setPicture(L"BANNER");
    picture("Image12").setPicture(L"VERSIONPIC");
    picture("Label2").setPicture(L"VERSIONPIC");
    picture("Image2").setPicture(L"NAVPANEL");
    for (const char* bar : kHoverBarNames)
        picture(bar).setPicture(L"HOVERBAR");
    picture("Image9").setPicture(L"UPDATETILE");
    picture("Image10").setPicture(L"FOOTER");
    window_.get<win32::Label>("Label1").setText(
        services_.strings[findControl(mainWindowControls(), "Label1").slot] + " " + programVersionText());
    window_.get<win32::Label>("Label17").setText(fixedtext::kFooterNotice);
    window_.get<win32::Link>("Label22").setTextColour(win32::colourOf(palette::kLink));
    // Drawn controls carry their names as window text, which UI Automation reads; the update tile's picture does
    // what its text says, so it is named by it.
    picture("Image1").setText(kAppTitle);
    picture("Image9").setText(services_.strings[findControl(mainWindowControls(), "Label21").slot]);
    window_.onTimer = [this](UINT_PTR id) { onTimer(id); };
    window_.onMenu = [this](UINT id) { onMenu(static_cast<int>(id)); };
    window_.onMessage = [this](UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) {
        return onMessage(message, wParam, lParam, result);
    };
    bindNavigation();
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
            autoUpdate_->start(handle()); // its question stays above the main window
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
    infoPage_.createPage(handle(), findControl(main, "x1"), services_.strings);
    infoPage_.addControls(informationPageControls(), services_.strings);
    infoPage_.get<win32::PushButton>("Command1").onClick = [this] { links_.OpenForum(); };

    cpuPage_ = std::make_unique<CpuPageWin>(services_);
    cpuPage_->create(handle(), findControl(main, "x2"));
    memoryPage_ = std::make_unique<MemoryPageWin>(services_, ticker_);
    memoryPage_->create(handle(), findControl(main, "x3"));

    settingsPage_.createPage(handle(), findControl(main, "x4"), services_.strings);
    settingsPage_.addControls(settingsPageControls(), services_.strings);
    settingsPage_.get<win32::PushButton>("Command2").onClick = [this] { saveLanguage(); };
    auto& languages = settingsPage_.get<win32::DropList>("optLang");
    languages.setItems(std::vector<std::string>(kLanguageNames.begin(), kLanguageNames.end()));
    languages.select(languageIndex(readCurLang(services_.registry)));

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
        window_.get<win32::Picture>(kHoverBarNames[static_cast<std::size_t>(i)]).show(i == index);
    // The captions above the bars draw the picture beneath them through, so they are drawn again.
    for (const navigation::Item& item : navigation::kItems)
        if (item.hoverBar >= 0)
            window_.get<win32::Link>(item.control).redraw();
}

void MainWindowWin::bindNavigation() {
    for (const navigation::Item& item : navigation::kItems) {
        auto& link = window_.get<win32::Link>(item.control);
        // The tile's second text shares its first text's stop.
        if (!item.tabStop)
            link.removeTabStop();
        link.onClick = [this, &item] { runCommand(item.command, item.page); };
        link.onFocus = [this, &item](bool focused, bool keyboard) {
            const auto reason = keyboard ? navigation::FocusReason::Keyboard : navigation::FocusReason::Other;
            showFocusCue(focused && navigation::showsFocusCue(reason) ? &item : nullptr);
        };
        if (item.hoverBar >= 0)
            link.onHover = [this, &item] { ShowHoverImage(item.hoverBar); };
    }
    window_.get<win32::Picture>("Image9").onClick = [this] { runCommand(navigation::Command::ShowUpdate, -1); };
}

void MainWindowWin::showFocusCue(const navigation::Item* item) {
    if (focusCue_ && focusCue_->hoverBar < 0)
        window_.get<win32::Link>(focusCue_->control).setUnderlined(false);
    focusCue_ = item;
    if (!item)
        return; // the bar stays where the pointer or the last key left it
    if (item->hoverBar < 0)
        window_.get<win32::Link>(item->control).setUnderlined(true);
    ShowHoverImage(item->hoverBar);
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

void MainWindowWin::saveLanguage() {
    win32::messageBox(handle(), services_.strings[kSlotLanguageSaved], MB_ICONINFORMATION);
    const int index = settingsPage_.get<win32::DropList>("optLang").selected();
    if (index >= 0 && index < static_cast<int>(kLanguageNames.size()))
        saveCurLang(services_.registry, kLanguageNames[static_cast<std::size_t>(index)]);
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

bool MainWindowWin::onMessage(UINT message, WPARAM wParam, LPARAM /*lParam*/, LRESULT& result) {
    switch (message) {
    case kRefreshPanelMessage:
        // The unload stops the timer; a refresh still queued then must not start a release.
        if (timerRunning_)
            memoryPage_->RefreshMemoryPanel();
        return true;
    case WM_SETCURSOR:
        // Only the bare background hides the hover bars (but the keyboard's cue); pictures and labels keep them.
        if (win32::fromParam<HWND>(wParam) == handle())
            ShowHoverImage(focusCue_ ? focusCue_->hoverBar : -1);
        return false;
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
