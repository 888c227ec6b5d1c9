#include "info/win32/AboutWindowWin.h"

#include <string_view>

#include "info/AboutControls.h"
#include "info/Version.h"
#include "settings/StringTable.h"
#include "frontend/FixedTexts.h"
#include "win32ui/Colour.h"

#undef GetComputerName // the Shell method keeps its name

namespace kelvora {

namespace {

constexpr int kClientWidth = kAboutClientWidth;
constexpr int kClientHeight = kAboutClientHeight;
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
    window_.get<win32::Label>("Label88").setText("Kelvora 2008");
    window_.get<win32::Label>("Label78").setText("Talvek");
    window_.get<win32::Label>("Label4").setText(services_.shell.GetComputerName());
    window_.get<win32::Picture>("Image4").setIcon(kIconPixels);
    // The version text closes the window on a click, as OK, Enter on OK and Escape do.
    auto& version = window_.get<win32::Label>("Label1");
    version.setText(programVersionText());
    version.onClick = [this] { window_.close(); };
    auto& ok = window_.get<win32::PushButton>("Command3");
    ok.setText("&OK");
    ok.onClick = [this] { window_.close(); };
    window_.onEscape = [this] { window_.close(); };
    bindLinks();
    window_.onMessage = [this](UINT message, WPARAM, LPARAM, LRESULT&) {
        if (message == WM_PAINT)
            paintSeparators();
        return message == WM_PAINT;
    };
    window_.focus(ok);
}

void AboutWindowWin::bindLinks() {
    struct Target {
        const char* name;
        void (LinkLauncher::*open)();
    };
    constexpr std::array<Target, 4> kTargets{{{"Label14", &LinkLauncher::OpenHomePage},
                                              {"Label15", &LinkLauncher::OpenSupportPage},
                                              {"Label16", &LinkLauncher::OpenForum},
                                              {"Label17", &LinkLauncher::OpenContactPage}}};
    for (std::size_t i = 0; i < kTargets.size(); ++i) {
        win32::Link& link = window_.get<win32::Link>(kTargets[i].name);
        links_[i] = &link;
        link.setTextColour(win32::colourOf(palette::kLink));
        link.onClick = [this, open = kTargets[i].open] { openLink(open); };
        // The link under the pointer is underlined; it stays so until the pointer is over another link.
        link.onHover = [this, &link] {
            for (win32::Link* other : links_)
                other->setUnderlined(other == &link);
        };
    }
    links_[0]->setText(fixedtext::displayAddress(services_.vendorUrl));
}

void AboutWindowWin::paintSeparators() {
    PAINTSTRUCT paint;
    HDC dc = BeginPaint(window_.handle(), &paint);
    const win32::Brush grey(CreateSolidBrush(kWorkspaceColour));
    for (int top : kAboutSeparatorTops) {
        const RECT line{window_.scaled(kAboutSeparatorLeft), window_.scaled(top), window_.scaled(kAboutSeparatorRight),
                        window_.scaled(top) + 1};
        FillRect(dc, &line, grey.get());
    }
    EndPaint(window_.handle(), &paint);
}

void AboutWindowWin::openLink(void (LinkLauncher::*open)()) {
    LinkLauncher links(services_.registry, services_.shell, services_.files, services_.vendorUrl);
    (links.*open)();
}

} // namespace kelvora
