#include "app/win32/MainWindowWin.h"

#include <windowsx.h>

#include <cstdlib>
#include <string_view>
#include <vector>

#include "app/MainWindowControls.h"
#include "app/Navigation.h"
#include "app/ShellLogic.h"
#include "frontend/FixedTexts.h"
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
constexpr UINT_PTR kTimer3Id = 3;
// The hidden update window waits a little more after Timer3 before its check begins.
constexpr UINT_PTR kSilentCheckTimerId = 4;
// A queued panel refresh, posted by the tick.
constexpr UINT kRefreshPanelMessage = WM_APP + 1;
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
    window_.setText("Label17", fixedtext::kFooterNotice);
    window_.setTextColour("Label22", win32::colourOf(palette::kLink));
    window_.hooks.command = [this](const char* control, int code) { onCommand(control, code); };
    window_.hooks.timer = [this](UINT_PTR id) { onTimer(id); };
    window_.hooks.message = [this](UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) {
        return onMessage(message, wParam, lParam, result);
    };
    orderNavigation();
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
    auto pageCommands = [this](const char* control, int code) { onPageCommand(control, code); };
    infoPage_.createPage(handle(), findControl(main, "x1"), services_.strings);
    infoPage_.addControls(informationPageControls(), services_.strings);
    infoPage_.hooks.command = pageCommands;

    cpuPage_ = std::make_unique<CpuPageWin>(services_);
    cpuPage_->create(handle(), findControl(main, "x2"));
    memoryPage_ = std::make_unique<MemoryPageWin>(services_, controller_.ticker(), handle());
    memoryPage_->create(handle(), findControl(main, "x3"));

    settingsPage_.createPage(handle(), findControl(main, "x4"), services_.strings);
    settingsPage_.addControls(settingsPageControls(), services_.strings);
    settingsPage_.hooks.command = pageCommands;

    pages_ = {infoPage_.handle(), cpuPage_->window().handle(), memoryPage_->window().handle(), settingsPage_.handle()};
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

void MainWindowWin::fillLanguages(const std::array<const char*, 3>& names, int selected) {
    HWND languages = settingsPage_.control("optLang");
    SendMessageW(languages, CB_RESETCONTENT, 0, 0);
    for (const char* name : names)
        SendMessageW(languages, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(win32::wide(name).c_str()));
    SendMessageW(languages, CB_SETCURSEL, static_cast<WPARAM>(selected), 0);
}

std::string MainWindowWin::selectedLanguage() const {
    const auto index = SendMessageW(settingsPage_.control("optLang"), CB_GETCURSEL, 0, 0);
    if (index < 0 || index >= static_cast<LRESULT>(kLanguageNames.size()))
        return {};
    return kLanguageNames[static_cast<std::size_t>(index)];
}

void MainWindowWin::applyTexts() {
    // The controls took their captions from the table as they were made; the pictures that act are named by what
    // they do, which UI Automation reads as their window text.
    window_.setText("Image1", kAppTitle);
    window_.setText("Image9", services_.strings[findControl(mainWindowControls(), "Label21").slot]);
}

void MainWindowWin::setVersionText(const std::string& text) {
    window_.setText("Label1", text);
}

void MainWindowWin::yieldToEvents() {
    MSG message;
    while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
        if (message.message == WM_QUIT) {
            PostQuitMessage(static_cast<int>(message.wParam)); // for the message loop to see
            return;
        }
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
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
        window_.showControl(kHoverBarNames[static_cast<std::size_t>(i)], i == index);
    // The captions above the bars draw the picture beneath them through, so they are drawn again.
    for (const navigation::Item& item : navigation::kItems)
        if (item.hoverBar >= 0)
            window_.redraw(item.control);
}

void MainWindowWin::setUnderlined(const char* control, bool underlined) {
    window_.setUnderlined(control, underlined);
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
            autoUpdate_->start(nullptr);
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

void MainWindowWin::onCommand(const char* control, int code) {
    const navigation::Item* item = navigation::findItem(control);
    if (item && (code == BN_SETFOCUS || code == BN_KILLFOCUS)) {
        // A press of the mouse also moves the focus; that shows no cue.
        const auto reason = GetKeyState(VK_LBUTTON) < 0 ? navigation::FocusReason::Other
                                                        : navigation::FocusReason::Keyboard;
        if (code == BN_SETFOCUS)
            controller_.focusEntered(*item, reason);
        else
            controller_.focusLeft(*item);
        return;
    }
    if (code != BN_CLICKED)
        return;
    // The tile's picture does what its first text does.
    if (std::string_view(control) == "Image9")
        item = navigation::findItem("Label21");
    if (item)
        controller_.activate(*item);
}

void MainWindowWin::onPageCommand(const char* control, int code) {
    if (code != BN_CLICKED)
        return;
    const std::string_view name = control;
    if (name == "Command1")
        controller_.openForum();
    else if (name == "Command2")
        controller_.save();
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
    std::_Exit(0);
}

bool MainWindowWin::isBareBackground(POINT pos) const {
    // Plain labels let the pointer through to the window, so the window asks which of its items lies there.
    HWND under = ChildWindowFromPointEx(handle(), pos, CWP_SKIPINVISIBLE);
    return under == handle() || under == window_.control("Line1");
}

bool MainWindowWin::onMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) {
    switch (message) {
    case WM_COMMAND:
        if (lParam != 0 || LOWORD(wParam) < kFirstMenuId ||
            LOWORD(wParam) >= kFirstMenuId + navigation::kMenuItems.size())
            return false;
        controller_.menuChosen(navigation::kMenuItems[LOWORD(wParam) - kFirstMenuId]);
        return true;
    case kRefreshPanelMessage:
        controller_.panelRefreshPosted();
        return true;
    case WM_SETCURSOR: {
        // The pointer over a navigation item shows its bar; only the bare background hides it.
        auto* under = win32::fromParam<HWND>(wParam);
        for (const navigation::Item& item : navigation::kItems) {
            if (under == window_.control(item.control)) {
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
