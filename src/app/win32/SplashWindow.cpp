#include "app/win32/SplashWindow.h"

#include "app/MainWindowControls.h"
#include "app/ShellTimings.h"
#include "settings/LanguageSetting.h"
#include "win32ui/Colour.h"

namespace kelvora {

namespace {

using splash::kClientHeight;
using splash::kClientWidth;
using splash::kFrameWidth;
constexpr UINT_PTR kTimerId = 1;

void paintFrame(HWND hwnd) {
    PAINTSTRUCT paint;
    HDC dc = BeginPaint(hwnd, &paint);
    RECT r;
    GetClientRect(hwnd, &r);
    const win32::Brush outer(CreateSolidBrush(win32::colourOf(palette::kSplashFrameOuter)));
    const win32::Brush inner(CreateSolidBrush(win32::colourOf(palette::kSplashFrameInner)));
    FrameRect(dc, &r, outer.get());
    InflateRect(&r, -1, -1);
    FrameRect(dc, &r, inner.get());
    EndPaint(hwnd, &paint);
}

} // namespace

SplashWindow::SplashWindow(const StringTable& strings, std::function<void()> finished)
    : strings_(strings), finished_(std::move(finished)) {}

bool SplashWindow::show() {
    if (!frame_.createTopLevel(win32::wide(kAppTitle), WS_POPUP, WS_EX_TOOLWINDOW, kClientWidth + 2 * kFrameWidth,
                               kClientHeight + 2 * kFrameWidth, nullptr))
        return false;
    frame_.onMessage = [this](UINT message, WPARAM, LPARAM, LRESULT&) {
        if (message == WM_PAINT)
            paintFrame(frame_.handle());
        return message == WM_PAINT;
    };
    constexpr int kTwipsPerPixel = 15;
    if (!client_.createChild(frame_.handle(),
                             {kFrameWidth * kTwipsPerPixel, kFrameWidth * kTwipsPerPixel,
                              kClientWidth * kTwipsPerPixel, kClientHeight * kTwipsPerPixel},
                             win32::colourOf(palette::kWindow)))
        return false;
    client_.addControls(splashControls(), strings_);
    auto& banner = client_.get<win32::Picture>("Image39");
    banner.setPicture(L"BANNER");
    banner.setText(kAppTitle); // the drawn banner's name for UI Automation
    // The program is loading: the hourglass over the whole splash.
    HCURSOR wait = LoadCursorW(nullptr, IDC_WAIT);
    frame_.setCursor(wait);
    client_.setCursor(wait);
    ShowWindow(client_.handle(), SW_SHOW);
    frame_.onTimer = [this](UINT_PTR) { tick(); };
    clock_.restart();
    SetTimer(frame_.handle(), kTimerId, splash::kTickMs, nullptr);
    ShowWindow(frame_.handle(), SW_SHOW);
    UpdateWindow(frame_.handle());
    return true;
}

void SplashWindow::tick() {
    if (!clock_.tick())
        return;
    KillTimer(frame_.handle(), kTimerId);
    ShowWindow(frame_.handle(), SW_HIDE);
    if (finished_)
        finished_();
}

} // namespace kelvora
