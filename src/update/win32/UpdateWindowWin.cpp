#include "update/win32/UpdateWindowWin.h"

#include <string_view>

#include "info/LinkLauncher.h"
#include "info/Version.h"
#include "settings/LanguageSetting.h"
#include "settings/StringTable.h"
#include "update/Download.h"
#include "update/UpdateWindowControls.h"
#include "update/UpdateWindowSteps.h"
#include "win32ui/Colour.h"

namespace kelvora {

namespace {

constexpr UINT_PTR kCheckTimer = 1;
constexpr UINT_PTR kProgressTimer = 2;
using updatewindow::kCheckDelayMs;
using updatewindow::kProgressFull;
using updatewindow::kProgressStepMs;
constexpr int kClientWidth = kUpdateClientWidth;
constexpr int kClientHeight = kUpdateClientHeight;
constexpr DWORD kWaitSliceMs = 100;
constexpr COLORREF kBarColour = win32::colourOf(palette::kGauge);

} // namespace

UpdateDownloaderWin::UpdateDownloaderWin() : finished_(CreateEventW(nullptr, FALSE, FALSE, nullptr)) {
    Inet_.setFinishedCallback([this] { SetEvent(finished_); });
}

UpdateDownloaderWin::~UpdateDownloaderWin() {
    Inet_.Cancel();
    CloseHandle(finished_);
}

bool UpdateDownloaderWin::Pobierz(const std::string& Page, std::string& ReturnTo) {
    return kelvora::Pobierz(Inet_, *this, Page, ReturnTo);
}

bool UpdateDownloaderWin::yield() {
    // Sleeps until the transfer ends or a message arrives, then runs the messages.
    MsgWaitForMultipleObjects(1, &finished_, FALSE, kWaitSliceMs, QS_ALLINPUT);
    if (!win32::pumpPendingMessages())
        abandoned_ = true;
    return !abandoned_;
}

UpdateWindowWin::UpdateWindowWin(AppServices& services, CheckVariant variant)
    : services_(services), variant_(variant) {}

UpdateWindowWin::~UpdateWindowWin() {
    downloader_.cancel();
}

bool UpdateWindowWin::start(HWND owner) {
    if (variant_ == CheckVariant::Silent) {
        runCheck();
        return true;
    }
    if (!window_.createTopLevel(win32::wide(kAppTitle), WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU,
                                WS_EX_CONTROLPARENT | WS_EX_DLGMODALFRAME, kClientWidth, kClientHeight, nullptr, owner))
        return false;
    window_.addControls(updateWindowControls(), services_.strings);
    // The drawn progress bar is named by the line above it.
    window_.setText("PB1", services_.strings[findControl(updateWindowControls(), "lblInfo").slot]);
    window_.hooks.command = [this](const char* control, int code) {
        if (std::string_view(control) == "cmdCanc" && code == BN_CLICKED)
            cancel();
    };
    window_.hooks.timer = [this](UINT_PTR id) { onTimer(id); };
    window_.hooks.draw = [this](const char* control, HDC dc, const RECT& area) { return draw(control, dc, area); };
    window_.hooks.message = [this](UINT message, WPARAM wParam, LPARAM, LRESULT&) {
        // The close box and Escape cancel exactly like the button, so no check goes on behind a hidden window.
        if (message == WM_CLOSE || (message == WM_COMMAND && LOWORD(wParam) == IDCANCEL)) {
            cancel();
            return true;
        }
        return false;
    };
    SetTimer(window_.handle(), kCheckTimer, kCheckDelayMs, nullptr);
    SetTimer(window_.handle(), kProgressTimer, kProgressStepMs, nullptr);
    ShowWindow(window_.handle(), SW_SHOW);
    SetFocus(window_.control("cmdCanc"));
    return true;
}

void UpdateWindowWin::bringForward() const {
    if (window_.handle())
        SetForegroundWindow(window_.handle());
}

void UpdateWindowWin::onTimer(UINT_PTR id) {
    if (id == kCheckTimer) {
        KillTimer(window_.handle(), kCheckTimer);
        runCheck();
    } else if (id == kProgressTimer) {
        if (updatewindow::progressDone(progress_)) {
            KillTimer(window_.handle(), kProgressTimer);
            return;
        }
        progress_ = updatewindow::progressAfterTick(progress_);
        window_.redraw("PB1");
    }
}

bool UpdateWindowWin::draw(const char* control, HDC dc, const RECT& area) {
    if (std::string_view(control) != "PB1")
        return false;
    FillRect(dc, &area, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
    FrameRect(dc, &area, static_cast<HBRUSH>(GetStockObject(GRAY_BRUSH)));
    RECT bar{area.left + 1, area.top + 1, area.left + 1 + MulDiv(area.right - area.left - 2, progress_, kProgressFull),
             area.bottom - 1};
    HBRUSH brush = CreateSolidBrush(kBarColour);
    FillRect(dc, &bar, brush);
    DeleteObject(brush);
    return true;
}

void UpdateWindowWin::cancel() {
    closing_ = true;
    downloader_.cancel();
    if (window_.handle() && IsWindow(window_.handle())) {
        KillTimer(window_.handle(), kCheckTimer);
        KillTimer(window_.handle(), kProgressTimer);
        DestroyWindow(window_.handle());
    }
}

void UpdateWindowWin::runCheck() {
    checking_ = true;
    LinkLauncher links(services_.registry, services_.shell, services_.files, services_.vendorUrl);
    runUpdateCheck(
        variant_, services_.strings, services_.vendorUrl, programVersionText(),
        [this](const std::string& page, std::string& returnTo) { return downloader_.Pobierz(page, returnTo); },
        [&links] { links.OpenUpdatePage(); }, *this);
    checking_ = false;
    done_ = true;
}

bool UpdateWindowWin::askYesNo(const std::string& text) {
    HWND owner = IsWindow(window_.handle()) ? window_.handle() : nullptr;
    return MessageBoxW(owner, win32::wide(text).c_str(), win32::wide(kAppTitle).c_str(),
                       MB_YESNO | MB_ICONQUESTION | MB_DEFBUTTON1) == IDYES;
}

void UpdateWindowWin::showInformation(const std::string& text) {
    // The silent check reports nothing but a newer version.
    if (variant_ == CheckVariant::OnDemand)
        win32::messageBox(IsWindow(window_.handle()) ? window_.handle() : nullptr, text, MB_ICONINFORMATION);
}

bool UpdateWindowWin::closing() const {
    return closing_ || downloader_.abandoned();
}

void UpdateWindowWin::closeWindow() {
    if (variant_ == CheckVariant::OnDemand)
        cancel();
    closing_ = true;
}

} // namespace kelvora
