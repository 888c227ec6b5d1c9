#include "update/win32/UpdateWindowWin.h"

#include <string_view>

#include "info/LinkLauncher.h"
#include "info/Version.h"
#include "settings/LanguageSetting.h"
#include "settings/StringTable.h"
#include "update/Download.h"
#include "update/UpdateWindowControls.h"
#include "update/UpdateWindowSteps.h"

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
    owner_ = owner;
    if (variant_ == CheckVariant::Silent) {
        runCheck();
        return true;
    }
    if (!window_.createTopLevel(win32::wide(kAppTitle), WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU,
                                WS_EX_CONTROLPARENT | WS_EX_DLGMODALFRAME, kClientWidth, kClientHeight, nullptr, owner))
        return false;
    window_.addControls(updateWindowControls(), services_.strings);
    window_.setCursor(LoadCursorW(nullptr, IDC_WAIT));
    progressBar_ = &window_.replace<win32::Gauge>("PB1", win32::Gauge::Direction::Right);
    // The drawn progress bar is named by the line above it.
    progressBar_->setText(services_.strings[findControl(updateWindowControls(), "lblInfo").slot]);
    // Cancel, Enter on it, Escape and the close box end the check alike, so none goes on behind a hidden window.
    auto& cancelButton = window_.get<win32::PushButton>("cmdCanc");
    cancelButton.onClick = [this] { cancel(); };
    window_.onEscape = [this] { cancel(); };
    window_.onTimer = [this](UINT_PTR id) { onTimer(id); };
    window_.onMessage = [this](UINT message, WPARAM, LPARAM, LRESULT&) {
        if (message != WM_CLOSE)
            return false;
        cancel();
        return true;
    };
    SetTimer(window_.handle(), kCheckTimer, kCheckDelayMs, nullptr);
    SetTimer(window_.handle(), kProgressTimer, kProgressStepMs, nullptr);
    ShowWindow(window_.handle(), SW_SHOW);
    window_.focus(cancelButton);
    return true;
}

void UpdateWindowWin::bringForward() const {
    if (window_.open())
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
        progressBar_->setBar(kProgressFull, 0, progress_);
    }
}

void UpdateWindowWin::cancel() {
    closing_ = true;
    downloader_.cancel();
    if (window_.open()) {
        KillTimer(window_.handle(), kCheckTimer);
        KillTimer(window_.handle(), kProgressTimer);
        window_.close();
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

HWND UpdateWindowWin::boxOwner() const {
    // The silent check has no window of its own: its question belongs to the main window.
    return window_.open() ? window_.handle() : owner_;
}

bool UpdateWindowWin::askYesNo(const std::string& text) {
    HWND owner = boxOwner();
    return MessageBoxW(owner, win32::wide(text).c_str(), win32::wide(kAppTitle).c_str(),
                       MB_YESNO | MB_ICONQUESTION | MB_DEFBUTTON1) == IDYES;
}

void UpdateWindowWin::showInformation(const std::string& text) {
    // The silent check reports nothing but a newer version.
    if (variant_ == CheckVariant::OnDemand)
        win32::messageBox(boxOwner(), text, MB_ICONINFORMATION);
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
