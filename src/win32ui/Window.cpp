#include "win32ui/Window.h"

#include <commctrl.h>

#include <algorithm>
#include <cmath>

#include "app/Navigation.h"
#include "platform/windows/WideText.h"
#include "settings/LanguageSetting.h"
#include "settings/StringTable.h"
#include "win32ui/Colour.h"

namespace kelvora::win32 {

namespace {

constexpr wchar_t kClassName[] = L"Kelvora2008Window";
constexpr UINT kBaseDpi = 96;
constexpr COLORREF kLineColour = colourOf(palette::kRule);
constexpr int kFirstControlId = 100;

void registerClassOnce() {
    static const bool registered = [] {
        WNDCLASSEXW wc{};
        wc.cbSize = sizeof(wc);
        wc.style = CS_HREDRAW | CS_VREDRAW;
        wc.lpfnWndProc = DefWindowProcW; // replaced per window once its object is known
        wc.hInstance = GetModuleHandleW(nullptr);
        wc.hIcon = LoadIconW(wc.hInstance, MAKEINTRESOURCEW(1));
        wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
        wc.hbrBackground = static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH));
        wc.lpszClassName = kClassName;
        return RegisterClassExW(&wc) != 0;
    }();
    (void)registered;
}

struct ControlClass {
    const wchar_t* name;
    DWORD style;
};

DWORD alignStyle(const ControlSpec& row) {
    DWORD align = SS_LEFT;
    if (row.align != TextAlign::Left)
        align = row.align == TextAlign::Centre ? SS_CENTER : SS_RIGHT;
    // One-line captions are centred vertically and never wrap; SS_CENTERIMAGE does both for text.
    return align | (row.wraps ? 0 : SS_CENTERIMAGE);
}

ControlClass classOf(const ControlSpec& row) {
    switch (row.kind) {
    case ControlKind::Label:
        return {L"STATIC", SS_NOPREFIX | alignStyle(row)};
    case ControlKind::Link:
        // A button drawn as the bare caption: it takes the focus, presses by key and is a button to UI Automation.
        return {L"BUTTON", BS_OWNERDRAW | WS_TABSTOP};
    case ControlKind::Button:
        return {L"BUTTON", BS_PUSHBUTTON | WS_TABSTOP};
    case ControlKind::CheckBox:
        return {L"BUTTON", BS_CHECKBOX | WS_TABSTOP};
    case ControlKind::OptionButton:
        return {L"BUTTON", BS_RADIOBUTTON | WS_TABSTOP};
    case ControlKind::ComboBox:
        return {L"COMBOBOX", CBS_DROPDOWNLIST | WS_VSCROLL | WS_TABSTOP};
    case ControlKind::ListBox:
        return {L"LISTBOX", LBS_USETABSTOPS | LBS_NOINTEGRALHEIGHT | LBS_NOTIFY | WS_VSCROLL | WS_BORDER | WS_TABSTOP};
    case ControlKind::Tab:
        return {WC_TABCONTROLW, 0};
    case ControlKind::StatusLine:
    case ControlKind::Picture:
    case ControlKind::Line:
    case ControlKind::Menu:
        break;
    }
    return {L"STATIC", SS_OWNERDRAW | SS_NOTIFY};
}

navigation::Key keyOf(WPARAM key) {
    if (key == VK_RETURN)
        return navigation::Key::Enter;
    return key == VK_SPACE ? navigation::Key::Space : navigation::Key::Other;
}

void notifyParent(HWND control, WORD code) {
    SendMessageW(GetParent(control), WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(control), code),
                 reinterpret_cast<LPARAM>(control));
}

// A link acts on Enter and Space at the key's press, as the shared navigation rules say, and tells its window when
// it takes or loses the focus (the window shows its focus cue).
LRESULT CALLBACK linkProcedure(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR /*id*/,
                               DWORD_PTR /*data*/) {
    switch (message) {
    case WM_GETDLGCODE: {
        const auto* msg = fromParam<const MSG*>(lParam);
        const bool ours = msg && msg->message == WM_KEYDOWN && keyOf(msg->wParam) != navigation::Key::Other;
        return DefSubclassProc(hwnd, message, wParam, lParam) | (ours ? DLGC_WANTMESSAGE : 0);
    }
    case WM_KEYDOWN:
    case WM_KEYUP:
    case WM_CHAR:
        if (keyOf(wParam) == navigation::Key::Other)
            break;
        if (message == WM_KEYDOWN && navigation::keyActivates(keyOf(wParam), (lParam & (1 << 30)) != 0))
            notifyParent(hwnd, BN_CLICKED);
        return 0; // the button's own Space press would click a second time
    case WM_SETFOCUS:
    case WM_KILLFOCUS: {
        const LRESULT result = DefSubclassProc(hwnd, message, wParam, lParam);
        notifyParent(hwnd, message == WM_SETFOCUS ? BN_SETFOCUS : BN_KILLFOCUS);
        return result;
    }
    default:
        break;
    }
    return DefSubclassProc(hwnd, message, wParam, lParam);
}

} // namespace

std::wstring wide(std::string_view utf8) {
    return windows::toWide(utf8);
}

Window::Window() : white_(static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH))) {}

Window::~Window() {
    if (hwnd_ && IsWindow(hwnd_)) {
        SetWindowLongPtrW(hwnd_, GWLP_USERDATA, 0);
        DestroyWindow(hwnd_);
    }
    dropScaledPictures();
    for (Placed& control : controls_)
        if (control.bitmap)
            DeleteObject(control.bitmap);
    for (Font& font : fonts_)
        DeleteObject(font.handle);
}

bool Window::createTopLevel(const std::wstring& title, DWORD style, DWORD exStyle, int width, int height, HMENU menu,
                            HWND owner) {
    registerClassOnce();
    hwnd_ = CreateWindowExW(exStyle, kClassName, title.c_str(), style, CW_USEDEFAULT, CW_USEDEFAULT, width, height,
                            owner, menu, GetModuleHandleW(nullptr), nullptr);
    if (!hwnd_)
        return false;
    SetWindowLongPtrW(hwnd_, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
    SetWindowLongPtrW(hwnd_, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&Window::procedure));
    dpi_ = GetDpiForWindow(hwnd_);
    // The client area is what the layout gives; the frame and menu bar come on top of it.
    RECT frame{0, 0, scaled(width), scaled(height)};
    AdjustWindowRectExForDpi(&frame, style, menu != nullptr, exStyle, dpi_);
    RECT work{};
    SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
    const int outerWidth = frame.right - frame.left;
    const int outerHeight = frame.bottom - frame.top;
    SetWindowPos(hwnd_, nullptr, work.left + (work.right - work.left - outerWidth) / 2,
                 work.top + (work.bottom - work.top - outerHeight) / 2, outerWidth, outerHeight,
                 SWP_NOZORDER | SWP_NOACTIVATE);
    return true;
}

bool Window::createChild(HWND parent, const TwipRect& place) {
    registerClassOnce();
    child_ = true;
    childPlace_ = place;
    hwnd_ = CreateWindowExW(WS_EX_CONTROLPARENT, kClassName, L"", WS_CHILD | WS_CLIPSIBLINGS | WS_CLIPCHILDREN, 0, 0,
                            1, 1, parent, nullptr, GetModuleHandleW(nullptr), nullptr);
    if (!hwnd_)
        return false;
    SetWindowLongPtrW(hwnd_, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
    SetWindowLongPtrW(hwnd_, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&Window::procedure));
    layout();
    return true;
}

bool Window::createPage(HWND parent, const ControlSpec& container, const StringTable& strings) {
    if (!createChild(parent, container.place))
        return false;
    ControlSpec tab = container;
    tab.place.left = 0;
    tab.place.top = 0;
    addControls(ControlTable(&tab, 1), strings);
    return true;
}

int Window::scaled(int pixels96) const {
    return MulDiv(pixels96, static_cast<int>(dpi_), static_cast<int>(kBaseDpi));
}

RECT Window::placeOf(const ControlSpec& row) const {
    const PixelRect place = toPixels(row.place);
    RECT r{scaled(place.left), scaled(place.top), scaled(place.left + place.width), scaled(place.top + place.height)};
    if (row.kind == ControlKind::ComboBox)
        r.bottom = r.top + (r.bottom - r.top) * 8; // room for the dropped list
    return r;
}

HFONT Window::fontFor(const FontSpec& font) {
    const int key = static_cast<int>(std::lround(font.points * 100)) * 2 + (font.bold ? 1 : 0);
    for (const Font& known : fonts_)
        if (known.key == key)
            return known.handle;
    const int height = -MulDiv(static_cast<int>(std::lround(font.points * 100)), static_cast<int>(dpi_), 7200);
    HFONT handle = CreateFontW(height, 0, 0, 0, font.bold ? FW_BOLD : FW_NORMAL, FALSE, FALSE, FALSE,
                               DEFAULT_CHARSET, OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, CLEARTYPE_QUALITY,
                               DEFAULT_PITCH | FF_SWISS, L"Calibri");
    fonts_.push_back({key, handle});
    return handle;
}

void Window::addControls(ControlTable table, const StringTable& strings) {
    for (const ControlSpec& row : table) {
        if (row.kind == ControlKind::Menu)
            continue;
        const ControlClass cls = classOf(row);
        const std::wstring caption = row.slot >= 0 && row.kind != ControlKind::ComboBox &&
                                             row.kind != ControlKind::ListBox
                                         ? wide(strings[row.slot])
                                         : std::wstring();
        const int id = kFirstControlId + static_cast<int>(controls_.size());
        HWND hwnd = CreateWindowExW(0, cls.name, caption.c_str(), WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS | cls.style,
                                    0, 0, 1, 1, hwnd_, fromParam<HMENU>(static_cast<INT_PTR>(id)),
                                    GetModuleHandleW(nullptr), nullptr);
        // Later rows of the table lie above the earlier ones.
        SetWindowPos(hwnd, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
        Placed placed;
        placed.hwnd = hwnd;
        placed.row = row;
        if (row.kind == ControlKind::Link) {
            SetWindowSubclass(hwnd, linkProcedure, 0, 0);
        }
        if (row.kind == ControlKind::Tab) {
            TCITEMW item{};
            item.mask = TCIF_TEXT;
            std::wstring text = caption;
            item.pszText = text.data();
            SendMessageW(hwnd, TCM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&item));
        }
        controls_.push_back(placed);
    }
    layout();
}

void Window::layout() {
    if (child_) {
        dpi_ = GetDpiForWindow(hwnd_);
        const PixelRect place = toPixels(childPlace_);
        SetWindowPos(hwnd_, nullptr, scaled(place.left), scaled(place.top), scaled(place.width), scaled(place.height),
                     SWP_NOZORDER | SWP_NOACTIVATE);
    }
    dropScaledPictures();
    for (Font& font : fonts_)
        DeleteObject(font.handle);
    fonts_.clear();
    for (Placed& control : controls_) {
        const RECT r = placeOf(control.row);
        SetWindowPos(control.hwnd, nullptr, r.left, r.top, r.right - r.left, r.bottom - r.top,
                     SWP_NOZORDER | SWP_NOACTIVATE);
        SendMessageW(control.hwnd, WM_SETFONT, reinterpret_cast<WPARAM>(fontFor(control.row.font)), FALSE);
    }
    InvalidateRect(hwnd_, nullptr, TRUE);
}

void Window::dropScaledPictures() {
    for (Placed& control : controls_) {
        if (control.pattern) {
            DeleteObject(control.pattern);
            control.pattern = nullptr;
        }
    }
}

HWND Window::control(std::string_view name) const {
    const Placed* placed = find(name);
    return placed ? placed->hwnd : nullptr;
}

const Window::Placed* Window::find(HWND hwnd) const {
    for (const Placed& control : controls_)
        if (control.hwnd == hwnd)
            return &control;
    return nullptr;
}

Window::Placed* Window::find(std::string_view name) {
    for (Placed& control : controls_)
        if (name == control.row.name)
            return &control;
    return nullptr;
}

const Window::Placed* Window::find(std::string_view name) const {
    for (const Placed& control : controls_)
        if (name == control.row.name)
            return &control;
    return nullptr;
}

void Window::setText(std::string_view name, const std::string& utf8) {
    if (const Placed* placed = find(name))
        SetWindowTextW(placed->hwnd, wide(utf8).c_str());
    redraw(name);
}

void Window::showControl(std::string_view name, bool shown) {
    if (const Placed* placed = find(name))
        ShowWindow(placed->hwnd, shown ? SW_SHOWNA : SW_HIDE);
}

void Window::setPicture(std::string_view name, const wchar_t* resource) {
    if (Placed* placed = find(name)) {
        placed->bitmap = static_cast<HBITMAP>(
            LoadImageW(GetModuleHandleW(nullptr), resource, IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION));
        redraw(name);
    }
}

void Window::setTextColour(std::string_view name, COLORREF colour) {
    if (Placed* placed = find(name))
        placed->colour = colour;
}

void Window::setUnderlined(std::string_view name, bool underlined) {
    if (Placed* placed = find(name); placed && placed->underlined != underlined) {
        placed->underlined = underlined;
        redraw(name);
    }
}

void Window::drawCaption(const Placed& link, HDC dc, const RECT& area) {
    FillRect(dc, &area, backgroundFor(link, dc));
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, link.colour);
    HFONT font = fontFor(link.row.font);
    HFONT underlined = nullptr;
    if (link.underlined) {
        LOGFONTW description{};
        GetObjectW(font, sizeof description, &description);
        description.lfUnderline = TRUE;
        underlined = CreateFontIndirectW(&description);
    }
    HGDIOBJ old = SelectObject(dc, underlined ? underlined : font);
    wchar_t text[512] = {};
    GetWindowTextW(link.hwnd, text, static_cast<int>(std::size(text)));
    UINT format = DT_NOPREFIX | (link.row.wraps ? DT_WORDBREAK : DT_SINGLELINE | DT_VCENTER);
    if (link.row.align != TextAlign::Left)
        format |= link.row.align == TextAlign::Centre ? DT_CENTER : DT_RIGHT;
    RECT box = area;
    DrawTextW(dc, text, -1, &box, format);
    SelectObject(dc, old);
    if (underlined)
        DeleteObject(underlined);
}

void Window::redraw(std::string_view name) {
    if (const Placed* placed = find(name))
        InvalidateRect(placed->hwnd, nullptr, TRUE);
}

void Window::drawPicture(const Placed& picture, HDC dc, const RECT& area) {
    FillRect(dc, &area, white_);
    if (!picture.bitmap)
        return;
    BITMAP info{};
    GetObjectW(picture.bitmap, sizeof(info), &info);
    HDC source = CreateCompatibleDC(dc);
    HGDIOBJ old = SelectObject(source, picture.bitmap);
    SetStretchBltMode(dc, HALFTONE);
    // Pictures wider than their place (the banner) are cut, never squeezed; narrower strips stretch to fill it.
    const int width = std::max<int>(scaled(info.bmWidth), area.right - area.left);
    StretchBlt(dc, area.left, area.top, width, scaled(info.bmHeight), source, 0, 0, info.bmWidth, info.bmHeight,
               SRCCOPY);
    SelectObject(source, old);
    DeleteDC(source);
}

HBRUSH Window::backgroundFor(const Placed& control, HDC dc) {
    // A caption above a picture shows the picture through: a brush of the picture, aligned to its place.
    const RECT self = placeOf(control.row);
    for (std::size_t i = controls_.size(); i-- > 0;) {
        Placed& below = controls_[i];
        if (&below == &control || below.row.kind != ControlKind::Picture || !below.bitmap ||
            !IsWindowVisible(below.hwnd))
            continue;
        const RECT r = placeOf(below.row);
        if (self.left < r.left || self.top < r.top || self.right > r.right || self.bottom > r.bottom)
            continue;
        if (!below.pattern) {
            HDC screen = GetDC(hwnd_);
            HBITMAP scaledBitmap = CreateCompatibleBitmap(screen, r.right - r.left, r.bottom - r.top);
            HDC memory = CreateCompatibleDC(screen);
            HGDIOBJ old = SelectObject(memory, scaledBitmap);
            const RECT local{0, 0, r.right - r.left, r.bottom - r.top};
            drawPicture(below, memory, local);
            SelectObject(memory, old);
            DeleteDC(memory);
            ReleaseDC(hwnd_, screen);
            below.pattern = CreatePatternBrush(scaledBitmap);
            DeleteObject(scaledBitmap);
        }
        SetBrushOrgEx(dc, r.left - self.left, r.top - self.top, nullptr);
        SetBkMode(dc, TRANSPARENT);
        return below.pattern;
    }
    SetBkColor(dc, colourOf(palette::kWindow));
    return white_;
}

void Window::drawItem(const DRAWITEMSTRUCT& item) {
    const Placed* placed = find(item.hwndItem);
    if (!placed)
        return;
    if (hooks.draw && hooks.draw(placed->row.name, item.hDC, item.rcItem))
        return;
    if (placed->row.kind == ControlKind::Link) {
        drawCaption(*placed, item.hDC, item.rcItem);
        return;
    }
    if (placed->row.kind == ControlKind::Line) {
        HBRUSH brush = CreateSolidBrush(kLineColour);
        FillRect(item.hDC, &item.rcItem, brush);
        DeleteObject(brush);
        return;
    }
    drawPicture(*placed, item.hDC, item.rcItem);
}

LRESULT CALLBACK Window::procedure(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    auto* self = fromParam<Window*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
    if (!self)
        return DefWindowProcW(hwnd, message, wParam, lParam);
    return self->handle(message, wParam, lParam);
}

LRESULT Window::handle(UINT message, WPARAM wParam, LPARAM lParam) {
    LRESULT result = 0;
    if (hooks.message && hooks.message(message, wParam, lParam, result))
        return result;
    switch (message) {
    case WM_COMMAND:
        if (const Placed* placed = find(fromParam<HWND>(lParam)); placed && hooks.command)
            hooks.command(placed->row.name, HIWORD(wParam));
        return 0;
    case WM_CTLCOLORSTATIC:
        if (const Placed* placed = find(fromParam<HWND>(lParam))) {
            auto* dc = fromParam<HDC>(wParam);
            SetTextColor(dc, placed->colour);
            return reinterpret_cast<LRESULT>(backgroundFor(*placed, dc));
        }
        break;
    case WM_DRAWITEM:
        drawItem(*fromParam<const DRAWITEMSTRUCT*>(lParam));
        return TRUE;
    case WM_TIMER:
        if (hooks.timer)
            hooks.timer(wParam);
        return 0;
    case WM_DPICHANGED: {
        dpi_ = HIWORD(wParam);
        const RECT* suggested = fromParam<const RECT*>(lParam);
        SetWindowPos(hwnd_, nullptr, suggested->left, suggested->top, suggested->right - suggested->left,
                     suggested->bottom - suggested->top, SWP_NOZORDER | SWP_NOACTIVATE);
        layout();
        return 0;
    }
    case WM_DPICHANGED_AFTERPARENT:
        layout();
        return 0;
    default:
        break;
    }
    return DefWindowProcW(hwnd_, message, wParam, lParam);
}

bool pumpPendingMessages() {
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
        if (msg.message == WM_QUIT) {
            PostQuitMessage(static_cast<int>(msg.wParam));
            return false;
        }
        HWND root = msg.hwnd ? GetAncestor(msg.hwnd, GA_ROOT) : nullptr;
        if (root && IsDialogMessageW(root, &msg))
            continue;
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
    return true;
}

int runMessageLoop() {
    MSG msg;
    while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
        HWND root = msg.hwnd ? GetAncestor(msg.hwnd, GA_ROOT) : nullptr;
        if (root && IsDialogMessageW(root, &msg))
            continue;
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
    return static_cast<int>(msg.wParam);
}

void messageBox(HWND owner, const std::string& text, UINT icon) {
    MessageBoxW(owner, wide(text).c_str(), wide(kAppTitle).c_str(), MB_OK | icon);
}

} // namespace kelvora::win32
