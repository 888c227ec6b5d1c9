#include "app/win32/MainWindowWin.h"

#include <windowsx.h>

#include <string_view>
#include <vector>

#include "app/MainWindowControls.h"
#include "app/Navigation.h"
#include "app/ShellLogic.h"
#include "frontend/FixedTexts.h"
#include "info/win32/AboutWindowWin.h"
#include "platform/ProcessExit.h"
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
constexpr UINT_PTR kTimer3Id = 3;
// The hidden update window waits a little more after Timer3 before its check begins.
constexpr UINT_PTR kSilentCheckTimerId = 4;
// A queued panel refresh, posted by the tick.
constexpr UINT kRefreshPanelMessage = WM_APP + 1;
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

HeldButtons heldButtons(WPARAM keys) {
    const WPARAM buttons = keys & (MK_LBUTTON | MK_RBUTTON | MK_MBUTTON | MK_XBUTTON1 | MK_XBUTTON2);
    if (buttons == 0)
        return HeldButtons::None;
    return buttons == MK_LBUTTON ? HeldButtons::LeftOnly : HeldButtons::Other;
}

} // namespace

MainWindowWin::MainWindowWin(AppServices& services) : services_(services), controller_(services, *this, *this) {}

MainWindowWin::~MainWindowWin() = default;

bool MainWindowWin::create() {
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
    window_.get<win32::Label>("Label17").setText(fixedtext::kFooterNotice);
    window_.get<win32::Link>("Label22").setTextColour(win32::colourOf(palette::kLink));
    window_.onTimer = [this](UINT_PTR id) { onTimer(id); };
    window_.onMenu = [this](UINT id) {
        if (id - kFirstMenuId < navigation::kMenuItems.size())
            controller_.menuChosen(navigation::kMenuItems[id - kFirstMenuId]);
    };
    window_.onMessage = [this](UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) {
        return onMessage(message, wParam, lParam, result);
    };
    bindNavigation();
    buildPages();
    ShowHoverImage(-1);
    showPage(0);
    return true;
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
    infoPage_.get<win32::PushButton>("Command1").onClick = [this] { controller_.openForum(); };

    cpuPage_ = std::make_unique<CpuPageWin>(services_);
    cpuPage_->create(handle(), findControl(main, "x2"));
    memoryPage_ = std::make_unique<MemoryPageWin>(services_, controller_.ticker());
    memoryPage_->create(handle(), findControl(main, "x3"));

    settingsPage_.createPage(handle(), findControl(main, "x4"), services_.strings);
    settingsPage_.addControls(settingsPageControls(), services_.strings);
    settingsPage_.get<win32::PushButton>("Command2").onClick = [this] { controller_.save(); };

    pages_ = {infoPage_.handle(), cpuPage_->window().handle(), memoryPage_->window().handle(), settingsPage_.handle()};
}

void MainWindowWin::bindNavigation() {
    for (const navigation::Item& item : navigation::kItems) {
        auto& link = window_.get<win32::Link>(item.control);
        // The tile's second text shares its first text's stop.
        if (!item.tabStop)
            link.removeTabStop();
        link.onClick = [this, &item] { controller_.activate(item); };
        link.onFocus = [this, &item](bool focused, bool keyboard) {
            if (focused)
                controller_.focusEntered(item, keyboard ? navigation::FocusReason::Keyboard
                                                        : navigation::FocusReason::Other);
            else
                controller_.focusLeft(item);
        };
    }
    // The tile's picture does what its first text does.
    window_.get<win32::Picture>("Image9").onClick = [this] { controller_.activate(*navigation::findItem("Label21")); };
}

void MainWindowWin::fillLanguages(const std::array<const char*, 3>& names, int selected) {
    auto& languages = settingsPage_.get<win32::DropList>("optLang");
    languages.setItems(std::vector<std::string>(names.begin(), names.end()));
    languages.select(selected);
}

std::string MainWindowWin::selectedLanguage() const {
    const int index = settingsPage_.get<win32::DropList>("optLang").selected();
    if (index < 0 || index >= static_cast<int>(kLanguageNames.size()))
        return {};
    return kLanguageNames[static_cast<std::size_t>(index)];
}

void MainWindowWin::applyTexts() {
    // The controls took their captions from the table as they were made; the pictures that act are named by what
    // they do, which UI Automation reads as their window text.
    window_.get<win32::Picture>("Image1").setText(kAppTitle);
    window_.get<win32::Picture>("Image9").setText(services_.strings[findControl(mainWindowControls(), "Label21").slot]);
}

void MainWindowWin::setVersionText(const std::string& text) {
    window_.get<win32::Label>("Label1").setText(text);
}

void MainWindowWin::yieldToEvents() {
    win32::pumpPendingMessages();
}

void MainWindowWin::showWindow() {
    ShowWindow(handle(), SW_SHOW);
    UpdateWindow(handle());
}

void MainWindowWin::showPage(int page) {
    for (int i = 0; i < kPages; ++i)
        ShowWindow(pages_[static_cast<std::size_t>(i)], i == page ? SW_SHOW : SW_HIDE);
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

void MainWindowWin::setUnderlined(const char* control, bool underlined) {
    window_.get<win32::Link>(control).setUnderlined(underlined);
}

void MainWindowWin::start(ShellTimer timer, int intervalMs) {
    SetTimer(handle(), timer == ShellTimer::Global ? kGlobalTimerId : kTimer3Id, static_cast<UINT>(intervalMs),
             nullptr);
}

void MainWindowWin::stop(ShellTimer timer) {
    KillTimer(handle(), timer == ShellTimer::Global ? kGlobalTimerId : kTimer3Id);
}

void MainWindowWin::onTimer(UINT_PTR id) {
    if (id == kGlobalTimerId) {
        controller_.onTimer(ShellTimer::Global);
    } else if (id == kTimer3Id) {
        controller_.onTimer(ShellTimer::AutoUpdate);
    } else if (id == kSilentCheckTimerId) {
        // Stopped before the download starts, so no second check can begin inside the wait.
        KillTimer(handle(), kSilentCheckTimerId);
        if (!autoUpdate_) {
            autoUpdate_ = std::make_unique<UpdateWindowWin>(services_, CheckVariant::Silent);
            autoUpdate_->start(handle()); // its question stays above the main window
        }
    }
}

void MainWindowWin::loadAutoUpdate() {
    SetTimer(handle(), kSilentCheckTimerId, updatewindow::kSilentCheckDelayMs, nullptr);
}

void MainWindowWin::closeOwnedWindows() {
    KillTimer(handle(), kSilentCheckTimerId);
    // Owned windows close with their owner; a check in progress ends with the window, so no question follows.
    for (const auto& update : updates_)
        update->cancel();
    if (autoUpdate_)
        autoUpdate_->cancel();
}

void MainWindowWin::postPanelRefresh() {
    PostMessageW(handle(), kRefreshPanelMessage, 0, 0);
}

void MainWindowWin::setMemoryDefaults() {
    memoryPage_->setDefaults();
}

void MainWindowWin::refreshMemoryPanel() {
    memoryPage_->RefreshMemoryPanel();
}

void MainWindowWin::releaseMemoryBlocks() {
    memoryPage_->releaseBlocks();
}

void MainWindowWin::setCpuDefaults() {
    cpuPage_->setDefaults();
}

void MainWindowWin::updateForegroundPriority() {
    cpuPage_->optimizer().UpdateForegroundPriority();
}

void MainWindowWin::retryHeldPriorityChanges() {
    cpuPage_->optimizer().RetryHeldChanges();
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

void MainWindowWin::messageBox(const std::string& text, MessageIcon icon) {
    win32::messageBox(handle(), text, icon == MessageIcon::Error ? MB_ICONERROR : MB_ICONINFORMATION);
}

void MainWindowWin::endProgram() {
    endProcessNow();
}

bool MainWindowWin::isBareBackground(POINT pos) const {
    // Plain labels let the pointer through to the window, so the window asks which of its items lies there.
    HWND under = ChildWindowFromPointEx(handle(), pos, CWP_SKIPINVISIBLE);
    return under == handle() || under == window_.get<win32::Line>("Line1").handle();
}

bool MainWindowWin::onMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) {
    switch (message) {
    case kRefreshPanelMessage:
        controller_.panelRefreshPosted();
        return true;
    case WM_SETCURSOR: {
        // The pointer over a navigation item shows its bar; only the bare background hides it.
        auto* under = win32::fromParam<HWND>(wParam);
        for (const navigation::Item& item : navigation::kItems) {
            if (under == window_.get<win32::Link>(item.control).handle()) {
                controller_.pointerOverItem(item);
                return false;
            }
        }
        POINT pos{};
        GetCursorPos(&pos);
        ScreenToClient(handle(), &pos);
        controller_.pointerOver(under == handle() && isBareBackground(pos) ? PointerPlace::BareBackground
                                                                          : PointerPlace::Other);
        return false;
    }
    case WM_LBUTTONDOWN: {
        // Moving the window by the mouse starts only from the bare background with the left button alone.
        const POINT pos{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
        if (startsWindowDrag(heldButtons(wParam), isBareBackground(pos))) {
            ReleaseCapture();
            SendMessageW(handle(), WM_NCLBUTTONDOWN, HTCAPTION, 0);
        }
        return true;
    }
    case WM_CLOSE:
        controller_.unload();
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

} // namespace kelvora
