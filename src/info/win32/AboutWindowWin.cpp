#include "info/win32/AboutWindowWin.h"

#include <string_view>

#include "frontend/FixedTexts.h"
#include "info/AboutControls.h"
#include "info/Version.h"
#include "settings/StringTable.h"
#include "win32ui/Colour.h"

#undef GetComputerName // the Shell method keeps its name

namespace kelvora {

namespace {

constexpr int kClientWidth = kAboutClientWidth;
constexpr int kClientHeight = kAboutClientHeight;
constexpr COLORREF kLinkColour = win32::colourOf(palette::kLink);
constexpr COLORREF kWorkspaceColour = win32::colourOf(palette::kWorkspace);
constexpr int kIconPixels = 32;


} // namespace

AboutWindowWin::AboutWindowWin(AppServices& services) : services_(services) {}

bool AboutWindowWin::show(HWND owner) {
    if (isOpen()) {
        SetForegroundWindow(window_.handle());
        return true;
    }
    const std::wstring title = win32::wide(services_.strings[kAboutTitleSlot]);
    if (!window_.createTopLevel(title, WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU, WS_EX_CONTROLPARENT | WS_EX_DLGMODALFRAME,
                                kClientWidth, kClientHeight, nullptr, owner))
        return false;
    Form_Load();
    ShowWindow(window_.handle(), SW_SHOW);
    return true;
}

void AboutWindowWin::Form_Load() {
    window_.addControls(aboutControls(), services_.strings);
    window_.setText("Label88", "Kelvora 2008");
    window_.setText("Label1", programVersionText());
    window_.setText("Label78", "Talvek");
    window_.setText("Label4", services_.shell.GetComputerName());
    window_.setText("Label14", fixedtext::displayAddress(services_.vendorUrl));
    window_.setText("Command3", "&OK");
    for (const char* link : {"Label14", "Label15", "Label16", "Label17"})
        window_.setTextColour(link, kLinkColour);
    // The version label closes the window on a click, as the OK button does.
    SetWindowLongPtrW(window_.control("Label1"), GWL_STYLE,
                      GetWindowLongPtrW(window_.control("Label1"), GWL_STYLE) | SS_NOTIFY);
    window_.hooks.command = [this](const char* control, int code) { onCommand(control, code); };
    window_.hooks.draw = [this](const char* control, HDC dc, const RECT& area) {
        if (std::string_view(control) != "Image4")
            return false;
        FillRect(dc, &area, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
        const int size = window_.scaled(kIconPixels);
        auto* icon = static_cast<HICON>(LoadImageW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(1), IMAGE_ICON, size,
                                                   size, LR_DEFAULTCOLOR));
        DrawIconEx(dc, area.left, area.top, icon, size, size, 0, nullptr, DI_NORMAL);
        DestroyIcon(icon);
        return true;
    };
    window_.hooks.message = [this](UINT message, WPARAM, LPARAM, LRESULT&) {
        if (message == WM_PAINT)
            paintSeparators();
        return message == WM_PAINT;
    };
    SetFocus(window_.control("Command3"));
}

void AboutWindowWin::paintSeparators() {
    PAINTSTRUCT paint;
    HDC dc = BeginPaint(window_.handle(), &paint);
    HBRUSH grey = CreateSolidBrush(kWorkspaceColour);
    for (int top : kAboutSeparatorTops) {
        const RECT line{window_.scaled(kAboutSeparatorLeft), window_.scaled(top), window_.scaled(kAboutSeparatorRight),
                        window_.scaled(top) + 1};
        FillRect(dc, &line, grey);
    }
    DeleteObject(grey);
    EndPaint(window_.handle(), &paint);
}

void AboutWindowWin::openLink(void (LinkLauncher::*open)()) {
    LinkLauncher links(services_.registry, services_.shell, services_.files, services_.vendorUrl);
    (links.*open)();
}

void AboutWindowWin::onCommand(const char* control, int code) {
    const std::string_view name = control;
    if ((name == "Command3" && code == BN_CLICKED) || (name == "Label1" && code == STN_CLICKED)) {
        DestroyWindow(window_.handle());
    } else if (code == STN_CLICKED) {
        if (name == "Label14")
            openLink(&LinkLauncher::OpenHomePage);
        else if (name == "Label15")
            openLink(&LinkLauncher::OpenSupportPage);
        else if (name == "Label16")
            openLink(&LinkLauncher::OpenForum);
        else if (name == "Label17")
            openLink(&LinkLauncher::OpenContactPage);
    }
}

} // namespace kelvora
