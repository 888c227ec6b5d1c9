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
    HBRUSH outer = CreateSolidBrush(win32::colourOf(palette::kSplashFrameOuter));
    HBRUSH inner = CreateSolidBrush(win32::colourOf(palette::kSplashFrameInner));
    FrameRect(dc, &r, outer);
    InflateRect(&r, -1, -1);
    FrameRect(dc, &r, inner);
    DeleteObject(outer);
    DeleteObject(inner);
    EndPaint(hwnd, &paint);
}

} // namespace

SplashWindow::SplashWindow(const StringTable& strings, std::function<void()> finished)
    : strings_(strings), finished_(std::move(finished)) {}

bool SplashWindow::show() {
    if (!frame_.createTopLevel(win32::wide(kAppTitle), WS_POPUP, WS_EX_TOOLWINDOW, kClientWidth + 2 * kFrameWidth,
                               kClientHeight + 2 * kFrameWidth, nullptr))
        return false;
    frame_.hooks.message = [this](UINT message, WPARAM, LPARAM, LRESULT&) {
        if (message == WM_PAINT)
            paintFrame(frame_.handle());
        return message == WM_PAINT;
    };
    constexpr int kTwipsPerPixel = 15;
    if (!client_.createChild(frame_.handle(), {kFrameWidth * kTwipsPerPixel, kFrameWidth * kTwipsPerPixel,
                                               kClientWidth * kTwipsPerPixel, kClientHeight * kTwipsPerPixel}))
        return false;
    client_.addControls(splashControls(), strings_);
    client_.setPicture("Image39", L"BANNER");
    client_.setText("Image39", kAppTitle); // the drawn banner's name for UI Automation
    ShowWindow(client_.handle(), SW_SHOW);
    frame_.hooks.timer = [this](UINT_PTR) { tick(); };
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
