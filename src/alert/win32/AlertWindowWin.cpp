#include "alert/win32/AlertWindowWin.h"

#include <memory>
#include <vector>

#include "alert/AlertControls.h"
#include "settings/StringTable.h"
#include "win32ui/Colour.h"

namespace kelvora {

namespace {

constexpr int kTwipsPerInch = 1440;
constexpr UINT_PTR kMotionTimer = 1;
constexpr COLORREF kHeaderBand = win32::colourOf(palette::kAlertHeader);

int toTwips(int pixels) {
    return MulDiv(pixels, kTwipsPerInch, static_cast<int>(GetDpiForSystem()));
}

int screenTwips(int metric) {
    return toTwips(GetSystemMetrics(metric));
}

int twipsToScreen(int twips) {
    return MulDiv(twips, static_cast<int>(GetDpiForSystem()), kTwipsPerInch);
}

} // namespace

AlertWindowWin::AlertWindowWin()
    : motion_(screenTwips(SM_CXSCREEN), screenTwips(SM_CYSCREEN)), bandBrush_(CreateSolidBrush(kHeaderBand)) {}

bool AlertWindowWin::show(const std::string& title, const std::string& message) {
    constexpr int kTwipsPerPixel = 15;
    // Not topmost: a window the user brings forward covers the popup, as it covers any other window.
    if (!window_.createTopLevel(L"Kelvora", WS_POPUP, WS_EX_TOOLWINDOW | WS_EX_NOACTIVATE,
                                AlertMotion::kWidthTwips / kTwipsPerPixel, AlertMotion::kHeightTwips / kTwipsPerPixel,
                                nullptr))
        return false;
    // The path is laid out for the window's own size, whole pixels, so it lies flush with the screen's edge.
    RECT frame{};
    GetWindowRect(window_.handle(), &frame);
    motion_ = AlertMotion(screenTwips(SM_CXSCREEN), screenTwips(SM_CYSCREEN), toTwips(frame.right - frame.left),
                          toTwips(frame.bottom - frame.top));
    const StringTable noTexts;
    window_.addControls(alertControls(), noTexts);
    auto& name = window_.get<win32::Label>("Label1");
    name.setText("Kelvora");
    window_.get<win32::Label>("lblTitle").setText(title);
    window_.get<win32::Label>("lblAlert").setText(message);
    window_.onTimer = [this](UINT_PTR) { onTimer(); };
    window_.onMessage = [this, &name](UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result) {
        if (msg == WM_PAINT) {
            paint();
            return true;
        }
        // The program's name lies on the header band, in white.
        if (msg == WM_CTLCOLORSTATIC && win32::fromParam<HWND>(lParam) == name.handle()) {
            auto* dc = win32::fromParam<HDC>(wParam);
            SetTextColor(dc, win32::colourOf(palette::kWindow));
            SetBkColor(dc, kHeaderBand);
            result = reinterpret_cast<LRESULT>(bandBrush_.get());
            return true;
        }
        return false;
    };
    place();
    ShowWindow(window_.handle(), SW_SHOWNOACTIVATE);
    SetTimer(window_.handle(), kMotionTimer, static_cast<UINT>(motion_.intervalMs()), nullptr);
    return true;
}

void AlertWindowWin::place() {
    SetWindowPos(window_.handle(), nullptr, twipsToScreen(motion_.left()), twipsToScreen(motion_.top()), 0, 0,
                 SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void AlertWindowWin::onTimer() {
    const int interval = motion_.intervalMs();
    motion_.tick();
    place();
    if (finished()) {
        KillTimer(window_.handle(), kMotionTimer);
        DestroyWindow(window_.handle());
        return;
    }
    if (interval != motion_.intervalMs())
        SetTimer(window_.handle(), kMotionTimer, static_cast<UINT>(motion_.intervalMs()), nullptr);
}

void AlertWindowWin::paint() {
    PAINTSTRUCT ps;
    HDC dc = BeginPaint(window_.handle(), &ps);
    RECT client;
    GetClientRect(window_.handle(), &client);
    FillRect(dc, &client, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
    // The header band under the program's name, a dotted line below it, and a frame round the popup.
    const RECT header{0, 0, window_.scaled(227), window_.scaled(33)};
    FillRect(dc, &header, bandBrush_.get());
    {
        const win32::Pen dotted(CreatePen(PS_DOT, 1, win32::colourOf(palette::kText)));
        const win32::Selection selected(dc, dotted.get());
        MoveToEx(dc, 0, window_.scaled(32), nullptr);
        LineTo(dc, window_.scaled(184), window_.scaled(32));
    }
    FrameRect(dc, &client, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
    EndPaint(window_.handle(), &ps);
}

void AlertWindowWin::FlatStyle(const std::string& title, const std::string& message) {
    static std::vector<std::unique_ptr<AlertWindowWin>> popups;
    std::erase_if(popups, [](const std::unique_ptr<AlertWindowWin>& popup) { return popup->finished(); });
    auto popup = std::make_unique<AlertWindowWin>();
    // A popup that cannot be built is simply not shown.
    if (popup->show(title, message))
        popups.push_back(std::move(popup));
}

} // namespace kelvora
