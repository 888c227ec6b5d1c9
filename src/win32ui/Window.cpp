#include "win32ui/Window.h"

#include <commctrl.h>

#include <algorithm>
#include <cmath>

#include "platform/windows/WideText.h"
#include "settings/LanguageSetting.h"
#include "settings/StringTable.h"
#include "win32ui/Colour.h"

namespace kelvora::win32 {

namespace {

constexpr wchar_t kClassName[] = L"Kelvora2008Window";
constexpr UINT kBaseDpi = 96;

} // namespace

std::wstring wide(std::string_view utf8) {
    return windows::toWide(utf8);
}

ATOM Window::classAtom() {
    static const ATOM atom = [] {
        WNDCLASSEXW wc{};
        wc.cbSize = sizeof(wc);
        wc.style = CS_HREDRAW | CS_VREDRAW;
        wc.lpfnWndProc = &Window::procedure;
        wc.hInstance = GetModuleHandleW(nullptr);
        wc.hIcon = LoadIconW(wc.hInstance, MAKEINTRESOURCEW(1));
        wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
        wc.lpszClassName = kClassName;
        return RegisterClassExW(&wc);
    }();
    return atom;
}

Window::Window()
    : backgroundColour_(colourOf(palette::kWindow)), background_(CreateSolidBrush(backgroundColour_)) {}

Window::~Window() {
    if (hwnd_) {
        HWND hwnd = hwnd_;
        SetWindowLongPtrW(hwnd, GWLP_USERDATA, 0);
        hwnd_ = nullptr;
        DestroyWindow(hwnd);
    }
}

Window* Window::of(HWND hwnd) {
    if (!hwnd || GetClassLongPtrW(hwnd, GCW_ATOM) != classAtom())
        return nullptr;
    return fromParam<Window*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
}

bool Window::createTopLevel(const std::wstring& title, DWORD style, DWORD exStyle, int width, int height, HMENU menu,
                            HWND owner) {
    classAtom();
    CreateWindowExW(exStyle, kClassName, title.c_str(), style, CW_USEDEFAULT, CW_USEDEFAULT, width, height, owner,
                    menu, GetModuleHandleW(nullptr), this);
    if (!hwnd_)
        return false;
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

bool Window::createChild(HWND parent, const TwipRect& place, COLORREF background) {
    classAtom();
    child_ = true;
    childPlace_ = place;
    backgroundColour_ = background;
    background_.reset(CreateSolidBrush(background));
    CreateWindowExW(WS_EX_CONTROLPARENT, kClassName, L"", WS_CHILD | WS_CLIPSIBLINGS | WS_CLIPCHILDREN, 0, 0, 1, 1,
                    parent, nullptr, GetModuleHandleW(nullptr), this);
    if (!hwnd_)
        return false;
    layout();
    if (Window* owner = of(parent)) {
        owner->pages_.push_back(hwnd_);
        owner->arrange();
    }
    return true;
}

bool Window::createPage(HWND parent, const ControlSpec& container, const StringTable& strings) {
    if (!createChild(parent, container.place, colourOf(palette::kPage)))
        return false;
    ControlSpec tab = container;
    tab.place.left = 0;
    tab.place.top = 0;
    addControls(ControlTable(&tab, 1), strings);
    return true;
}

void Window::close() {
    if (hwnd_)
        DestroyWindow(hwnd_);
}

void Window::focus(const Control& control) {
    focused_ = control.handle();
    SetFocus(focused_);
}

int Window::scaled(int pixels96) const {
    return MulDiv(pixels96, static_cast<int>(dpi_), static_cast<int>(kBaseDpi));
}

HFONT Window::fontFor(const FontSpec& font) {
    const int hundredths = static_cast<int>(std::lround(font.points * 100));
    const int key = hundredths * 2 + (font.bold ? 1 : 0);
    for (const auto& [known, handle] : fonts_)
        if (known == key)
            return handle.get();
    const int height = -MulDiv(hundredths, static_cast<int>(dpi_), 7200);
    fonts_.emplace_back(key, Font(CreateFontW(height, 0, 0, 0, font.bold ? FW_BOLD : FW_NORMAL, FALSE, FALSE, FALSE,
                                              DEFAULT_CHARSET, OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS,
                                              CLEARTYPE_QUALITY, DEFAULT_PITCH | FF_SWISS, L"Calibri")));
    return fonts_.back().second.get();
}

std::unique_ptr<Control> Window::make(const ControlSpec& row, const StringTable& strings) {
    // A text composed at run time (a count, the time to the next release) is empty until it is composed.
    const bool captioned = row.slot >= 0 && row.composed == nullptr && row.kind != ControlKind::ComboBox &&
                           row.kind != ControlKind::ListBox;
    const std::wstring caption = captioned ? wide(strings[row.slot]) : std::wstring();
    switch (row.kind) {
    case ControlKind::Label:
        return std::make_unique<Label>(*this, row, caption);
    case ControlKind::Link:
        return std::make_unique<Link>(*this, row, caption);
    case ControlKind::Button:
        return std::make_unique<PushButton>(*this, row, caption);
    case ControlKind::CheckBox:
        return std::make_unique<CheckBox>(*this, row, caption);
    case ControlKind::OptionButton:
        return std::make_unique<OptionButton>(*this, row, caption);
    case ControlKind::ComboBox:
        return std::make_unique<DropList>(*this, row);
    case ControlKind::ListBox:
        return std::make_unique<ColumnList>(*this, row);
    case ControlKind::Tab:
        return std::make_unique<TabPage>(*this, row, caption);
    case ControlKind::StatusLine:
        return std::make_unique<StatusLine>(*this, row);
    case ControlKind::Line:
        return std::make_unique<Line>(*this, row);
    case ControlKind::Picture:
    case ControlKind::Menu:
        break;
    }
    return std::make_unique<Picture>(*this, row);
}

void Window::addControls(ControlTable table, const StringTable& strings) {
    for (const ControlSpec& row : table)
        if (row.kind != ControlKind::Menu)
            controls_.push_back(make(row, strings));
    arrange();
}

std::size_t Window::indexOf(std::string_view name) const {
    for (std::size_t i = 0; i < controls_.size(); ++i)
        if (name == controls_[i]->entry().name)
            return i;
    std::abort();
}

void Window::arrange() {
    std::vector<HWND> order;
    for (const auto& control : controls_)
        if (control->interactive())
            order.push_back(control->handle());
    order.insert(order.end(), pages_.begin(), pages_.end());
    for (auto it = controls_.rbegin(); it != controls_.rend(); ++it)
        if (!(*it)->interactive())
            order.push_back((*it)->handle());
    HWND above = HWND_TOP;
    for (HWND hwnd : order) {
        SetWindowPos(hwnd, above, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
        above = hwnd;
    }
}

void Window::layout() {
    if (child_) {
        dpi_ = GetDpiForWindow(hwnd_);
        const PixelRect place = toPixels(childPlace_);
        SetWindowPos(hwnd_, nullptr, scaled(place.left), scaled(place.top), scaled(place.width), scaled(place.height),
                     SWP_NOZORDER | SWP_NOACTIVATE);
    }
    fonts_.clear();
    for (const auto& control : controls_)
        control->layout();
    InvalidateRect(hwnd_, nullptr, TRUE);
}

HBRUSH Window::brushBehind(const Control& control, HDC dc) {
    // A caption above a picture shows the picture through: a brush of the picture, aligned to its place.
    RECT self{};
    GetWindowRect(control.handle(), &self);
    for (auto it = controls_.rbegin(); it != controls_.rend(); ++it) {
        auto* below = dynamic_cast<Picture*>(it->get());
        if (!below || below == &control || !below->visible())
            continue;
        RECT r{};
        GetWindowRect(below->handle(), &r);
        if (self.left < r.left || self.top < r.top || self.right > r.right || self.bottom > r.bottom)
            continue;
        if (HBRUSH pattern = below->pattern(dc)) {
            SetBrushOrgEx(dc, r.left - self.left, r.top - self.top, nullptr);
            SetBkMode(dc, TRANSPARENT);
            return pattern;
        }
    }
    SetBkColor(dc, backgroundColour_);
    return background_.get();
}

LRESULT CALLBACK Window::procedure(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_NCCREATE) {
        auto* self = static_cast<Window*>(fromParam<const CREATESTRUCTW*>(lParam)->lpCreateParams);
        self->hwnd_ = hwnd;
        SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
    }
    Window* self = fromParam<Window*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
    if (!self)
        return DefWindowProcW(hwnd, message, wParam, lParam);
    if (message == WM_NCDESTROY) {
        SetWindowLongPtrW(hwnd, GWLP_USERDATA, 0);
        self->hwnd_ = nullptr;
        return DefWindowProcW(hwnd, message, wParam, lParam);
    }
    return self->handle(message, wParam, lParam);
}

LRESULT Window::handle(UINT message, WPARAM wParam, LPARAM lParam) {
    LRESULT result = 0;
    if (onMessage && onMessage(message, wParam, lParam, result))
        return result;
    switch (message) {
    case WM_COMMAND: {
        if (lParam != 0) {
            if (Control* control = Control::of(fromParam<HWND>(lParam)))
                control->command(HIWORD(wParam));
            return 0;
        }
        // Only the menu's own ids: IDOK and IDCANCEL are no commands of a window that is no dialog.
        const UINT id = LOWORD(wParam);
        if (id >= kFirstMenuId && id <= kLastMenuId && onMenu)
            onMenu(id);
        return 0;
    }
    case WM_CTLCOLORSTATIC:
    case WM_CTLCOLORBTN:
    case WM_CTLCOLORLISTBOX:
        if (Control* control = Control::of(fromParam<HWND>(lParam)))
            return reinterpret_cast<LRESULT>(control->colour(fromParam<HDC>(wParam)));
        break;
    case WM_DRAWITEM: {
        const auto* item = fromParam<const DRAWITEMSTRUCT*>(lParam);
        if (Control* control = Control::of(item->hwndItem))
            control->draw(*item);
        return TRUE;
    }
    case WM_MEASUREITEM:
        // A list's first measure comes before its object is known; its layout sets the height for its font.
        fromParam<MEASUREITEMSTRUCT*>(lParam)->itemHeight = static_cast<UINT>(scaled(16));
        return TRUE;
    case WM_SETCURSOR:
        if (LOWORD(lParam) == HTCLIENT) {
            const Control* control = Control::of(fromParam<HWND>(wParam));
            HCURSOR cursor = control ? control->cursor() : nullptr;
            if (!cursor)
                cursor = cursor_;
            if (cursor) {
                SetCursor(cursor);
                return TRUE;
            }
        }
        break;
    case WM_ERASEBKGND: {
        RECT client{};
        GetClientRect(hwnd_, &client);
        FillRect(fromParam<HDC>(wParam), &client, background_.get());
        return 1;
    }
    case WM_ACTIVATE:
        // The focus leaves with the window and comes back to the same control, not to the bare window.
        if (LOWORD(wParam) == WA_INACTIVE) {
            HWND focus = GetFocus();
            if (focus && IsChild(hwnd_, focus))
                focused_ = focus;
        } else if (focused_ && IsChild(hwnd_, focused_) && IsWindowVisible(focused_)) {
            SetFocus(focused_);
            return 0;
        }
        break;
    case WM_TIMER:
        if (onTimer)
            onTimer(wParam);
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

} // namespace kelvora::win32
