#include "win32ui/Controls.h"

#include <commctrl.h>

#include <algorithm>

#include "app/Navigation.h"
#include "win32ui/Colour.h"
#include "win32ui/Window.h"

namespace kelvora::win32 {

namespace {

constexpr wchar_t kControlProperty[] = L"Kelvora.Control";
constexpr int kTextMargin = 2; // pixels at 96 dpi between a drawn text and its control's edge
constexpr COLORREF kWindowColour = colourOf(palette::kWindow);
constexpr COLORREF kTextColour = colourOf(palette::kText);
constexpr COLORREF kPageColour = colourOf(palette::kPage);
constexpr COLORREF kGaugeColour = colourOf(palette::kGauge);
constexpr COLORREF kFrameColour = RGB(128, 128, 128); // the system's shadow grey round the gauges

DWORD staticAlign(const ControlSpec& entry) {
    DWORD align = SS_LEFT;
    if (entry.align != TextAlign::Left)
        align = entry.align == TextAlign::Centre ? SS_CENTER : SS_RIGHT;
    // One-line captions are centred vertically and never wrap; SS_CENTERIMAGE does both for text.
    return align | (entry.wraps ? 0 : SS_CENTERIMAGE);
}

UINT textAlign(const ControlSpec& entry) {
    UINT format = DT_NOPREFIX | (entry.wraps ? DT_WORDBREAK : DT_SINGLELINE | DT_VCENTER);
    if (entry.align != TextAlign::Left)
        format |= entry.align == TextAlign::Centre ? DT_CENTER : DT_RIGHT;
    return format;
}

void setStyleBit(HWND hwnd, LONG_PTR bit, bool on) {
    const LONG_PTR style = GetWindowLongPtrW(hwnd, GWL_STYLE);
    SetWindowLongPtrW(hwnd, GWL_STYLE, on ? style | bit : style & ~bit);
}

void fillSolid(HDC dc, const RECT& area, COLORREF colour) {
    const Brush brush(CreateSolidBrush(colour));
    FillRect(dc, &area, brush.get());
}

navigation::Key keyOf(WPARAM key) {
    if (key == VK_RETURN)
        return navigation::Key::Enter;
    return key == VK_SPACE ? navigation::Key::Space : navigation::Key::Other;
}

} // namespace

// Control

Control::Control(Window& window, const ControlSpec& entry) : window_(window), entry_(entry), textColour_(kTextColour) {}

Control* Control::of(HWND hwnd) {
    return hwnd ? static_cast<Control*>(GetPropW(hwnd, kControlProperty)) : nullptr;
}

void Control::create(const wchar_t* windowClass, DWORD style, const std::wstring& caption, bool subclass) {
    hwnd_ = CreateWindowExW(0, windowClass, caption.c_str(), WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS | style, 0, 0,
                            1, 1, window_.handle(), fromParam<HMENU>(static_cast<INT_PTR>(window_.takeControlId())),
                            GetModuleHandleW(nullptr), nullptr);
    SetPropW(hwnd_, kControlProperty, this);
    if (subclass)
        SetWindowSubclass(hwnd_, &Control::subclassProcedure, 0, reinterpret_cast<DWORD_PTR>(this));
    layout();
}

LRESULT CALLBACK Control::subclassProcedure(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam, UINT_PTR /*id*/,
                                            DWORD_PTR data) {
    if (msg == WM_NCDESTROY) {
        RemovePropW(hwnd, kControlProperty);
        RemoveWindowSubclass(hwnd, &Control::subclassProcedure, 0);
        return DefSubclassProc(hwnd, msg, wParam, lParam);
    }
    return fromParam<Control*>(data)->message(msg, wParam, lParam);
}

LRESULT Control::message(UINT msg, WPARAM wParam, LPARAM lParam) {
    return defaultMessage(msg, wParam, lParam);
}

LRESULT Control::defaultMessage(UINT msg, WPARAM wParam, LPARAM lParam) const {
    return DefSubclassProc(hwnd_, msg, wParam, lParam);
}

void Control::layout() {
    const PixelRect place = toPixels(entry_.place);
    const int left = window_.scaled(place.left);
    const int top = window_.scaled(place.top);
    SetWindowPos(hwnd_, nullptr, left, top, window_.scaled(place.left + place.width) - left,
                 window_.scaled(place.top + place.height) - top, SWP_NOZORDER | SWP_NOACTIVATE);
    SendMessageW(hwnd_, WM_SETFONT, reinterpret_cast<WPARAM>(window_.fontFor(entry_.font)), FALSE);
}

void Control::setText(const std::string& utf8) {
    SetWindowTextW(hwnd_, wide(utf8).c_str());
    redraw();
}

std::wstring Control::text() const {
    std::wstring text(static_cast<std::size_t>(GetWindowTextLengthW(hwnd_)) + 1, L'\0');
    text.resize(static_cast<std::size_t>(GetWindowTextW(hwnd_, text.data(), static_cast<int>(text.size()))));
    return text;
}

void Control::show(bool shown) {
    ShowWindow(hwnd_, shown ? SW_SHOWNA : SW_HIDE);
}

bool Control::visible() const {
    return (GetWindowLongPtrW(hwnd_, GWL_STYLE) & WS_VISIBLE) != 0;
}

void Control::redraw() const {
    InvalidateRect(hwnd_, nullptr, TRUE);
}

void Control::setTextColour(COLORREF colour) {
    textColour_ = colour;
    redraw();
}

HBRUSH Control::colour(HDC dc) {
    SetTextColor(dc, textColour_);
    return window_.brushBehind(*this, dc);
}

void Control::fillBackground(HDC dc, const RECT& area) {
    FillRect(dc, &area, window_.brushBehind(*this, dc));
}

void Control::drawText(HDC dc, const RECT& area, HFONT font, UINT format) const {
    const Selection selected(dc, font);
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, textColour_);
    RECT box = area;
    const std::wstring shown = text();
    DrawTextW(dc, shown.c_str(), static_cast<int>(shown.size()), &box, format);
}

// Label

Label::Label(Window& window, const ControlSpec& entry, const std::wstring& caption) : Control(window, entry) {
    create(L"STATIC", SS_NOPREFIX | SS_NOTIFY | staticAlign(entry), caption);
}

void Label::command(int code) {
    if (code == STN_CLICKED && onClick)
        onClick();
}

// Link

Link::Link(Window& window, const ControlSpec& entry, const std::wstring& caption) : Control(window, entry) {
    create(L"BUTTON", BS_OWNERDRAW | WS_TABSTOP | WS_GROUP, caption, true);
}

void Link::command(int code) {
    if (code == BN_CLICKED && onClick)
        onClick();
}

HCURSOR Link::cursor() const {
    return LoadCursorW(nullptr, IDC_HAND);
}

void Link::removeTabStop() {
    setStyleBit(handle(), WS_TABSTOP, false);
}

void Link::setUnderlined(bool underlined) {
    if (underlined_ == underlined)
        return;
    underlined_ = underlined;
    redraw();
}

void Link::draw(const DRAWITEMSTRUCT& item) {
    fillBackground(item.hDC, item.rcItem);
    HFONT font = window().fontFor(entry().font);
    if (underlined_) {
        if (!underlinedFont_) {
            LOGFONTW description{};
            GetObjectW(font, sizeof description, &description);
            description.lfUnderline = TRUE;
            underlinedFont_.reset(CreateFontIndirectW(&description));
        }
        font = underlinedFont_.get();
    }
    drawText(item.hDC, item.rcItem, font, textAlign(entry()));
    // A link without a cue of its own shows the system's focus frame round its text while the keyboard has it.
    if (!onFocus && (item.itemState & ODS_FOCUS) && !(item.itemState & ODS_NOFOCUSRECT)) {
        RECT box = item.rcItem;
        const std::wstring shown = text();
        const Selection selected(item.hDC, font);
        DrawTextW(item.hDC, shown.c_str(), static_cast<int>(shown.size()), &box, textAlign(entry()) | DT_CALCRECT);
        box.right = std::min(box.right + 1, item.rcItem.right);
        box.bottom = std::min(box.bottom, item.rcItem.bottom);
        DrawFocusRect(item.hDC, &box);
    }
}

LRESULT Link::message(UINT msg, WPARAM wParam, LPARAM lParam) {
    switch (msg) {
    case WM_GETDLGCODE: {
        // Enter and Space are the link's own: they act on it, as a click does.
        const auto* key = fromParam<const MSG*>(lParam);
        const bool ours = key && key->message == WM_KEYDOWN && keyOf(key->wParam) != navigation::Key::Other;
        return defaultMessage(msg, wParam, lParam) | (ours ? DLGC_WANTMESSAGE : 0);
    }
    case WM_KEYDOWN:
    case WM_KEYUP:
    case WM_CHAR:
        if (keyOf(wParam) == navigation::Key::Other)
            break;
        if (msg == WM_KEYDOWN && navigation::keyActivates(keyOf(wParam), (lParam & (1 << 30)) != 0) && onClick)
            onClick();
        return 0; // the button's own Space press would click a second time
    case WM_MOUSEMOVE:
        if (onHover)
            onHover();
        break;
    case WM_ERASEBKGND:
        return 1; // drawn whole by draw()
    case WM_SETFOCUS:
    case WM_KILLFOCUS: {
        const LRESULT result = defaultMessage(msg, wParam, lParam);
        // A press of the mouse also moves the focus; only the keyboard's move shows the cue.
        if (onFocus)
            onFocus(msg == WM_SETFOCUS, GetKeyState(VK_LBUTTON) >= 0);
        return result;
    }
    default:
        break;
    }
    return defaultMessage(msg, wParam, lParam);
}

// Picture

Picture::Picture(Window& window, const ControlSpec& entry) : Control(window, entry) {
    create(L"STATIC", SS_OWNERDRAW | SS_NOTIFY, L"");
}

void Picture::setPicture(const wchar_t* resource) {
    resource_ = resource;
    // From 144 dpi on the twice-size picture is drawn down rather than the plain one stretched up.
    constexpr UINT kTwiceSizeDpi = 144;
    HINSTANCE instance = GetModuleHandleW(nullptr);
    bitmap_.reset();
    bitmapScale_ = 1;
    if (window().dpi() >= kTwiceSizeDpi) {
        const std::wstring twice = resource_ + L"2X";
        bitmap_.reset(static_cast<HBITMAP>(LoadImageW(instance, twice.c_str(), IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION)));
        bitmapScale_ = bitmap_ ? 2 : 1;
    }
    if (!bitmap_)
        bitmap_.reset(static_cast<HBITMAP>(LoadImageW(instance, resource, IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION)));
    pattern_.reset();
    redraw();
}

void Picture::setIcon(int pixels96) {
    iconPixels_ = pixels96;
    redraw();
}

void Picture::layout() {
    Control::layout();
    if (!resource_.empty())
        setPicture(std::wstring(resource_).c_str());
}

void Picture::command(int code) {
    if (code == STN_CLICKED && onClick)
        onClick();
}

HCURSOR Picture::cursor() const {
    return onClick ? LoadCursorW(nullptr, IDC_HAND) : nullptr;
}

void Picture::draw(const DRAWITEMSTRUCT& item) {
    paint(item.hDC, item.rcItem);
}

void Picture::paint(HDC dc, const RECT& area) const {
    fillSolid(dc, area, window().background());
    if (iconPixels_ > 0) {
        const int size = window().scaled(iconPixels_);
        auto* icon = static_cast<HICON>(
            LoadImageW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(1), IMAGE_ICON, size, size, LR_DEFAULTCOLOR));
        DrawIconEx(dc, area.left, area.top, icon, size, size, 0, nullptr, DI_NORMAL);
        DestroyIcon(icon);
        return;
    }
    if (!bitmap_)
        return;
    BITMAP info{};
    GetObjectW(bitmap_.get(), sizeof(info), &info);
    const MemoryDc source(dc);
    const Selection selected(source.get(), bitmap_.get());
    SetStretchBltMode(dc, HALFTONE);
    SetBrushOrgEx(dc, 0, 0, nullptr);
    const int naturalWidth = MulDiv(info.bmWidth, static_cast<int>(window().dpi()), 96 * bitmapScale_);
    const int naturalHeight = MulDiv(info.bmHeight, static_cast<int>(window().dpi()), 96 * bitmapScale_);
    // Pictures wider than their place (the banner) are cut, never squeezed; narrower strips stretch to fill it.
    const int width = std::max<int>(naturalWidth, area.right - area.left);
    StretchBlt(dc, area.left, area.top, width, naturalHeight, source.get(), 0, 0, info.bmWidth, info.bmHeight,
               SRCCOPY);
}

HBRUSH Picture::pattern(HDC dc) {
    if (!bitmap_)
        return nullptr;
    if (!pattern_) {
        RECT area{};
        GetClientRect(handle(), &area);
        const Bitmap drawn(CreateCompatibleBitmap(dc, area.right, area.bottom));
        {
            const MemoryDc memory(dc);
            const Selection selected(memory.get(), drawn.get());
            paint(memory.get(), area);
        }
        pattern_.reset(CreatePatternBrush(drawn.get()));
    }
    return pattern_.get();
}

// Line

Line::Line(Window& window, const ControlSpec& entry) : Control(window, entry) {
    create(L"STATIC", SS_OWNERDRAW, L"");
}

void Line::draw(const DRAWITEMSTRUCT& item) {
    fillSolid(item.hDC, item.rcItem, colourOf(palette::kRule));
}

// PushButton

PushButton::PushButton(Window& window, const ControlSpec& entry, const std::wstring& caption) : Control(window, entry) {
    create(L"BUTTON", BS_PUSHBUTTON | WS_TABSTOP | WS_GROUP, caption);
}

void PushButton::command(int code) {
    if (code == BN_CLICKED && onClick)
        onClick();
}

// CheckBox

CheckBox::CheckBox(Window& window, const ControlSpec& entry, const std::wstring& caption) : Control(window, entry) {
    create(L"BUTTON", BS_CHECKBOX | WS_TABSTOP | WS_GROUP, caption);
}

void CheckBox::command(int code) {
    if (code == BN_CLICKED && onToggled)
        onToggled(!checked());
}

void CheckBox::setChecked(bool checked) {
    SendMessageW(handle(), BM_SETCHECK, checked ? BST_CHECKED : BST_UNCHECKED, 0);
}

bool CheckBox::checked() const {
    return SendMessageW(handle(), BM_GETCHECK, 0, 0) == BST_CHECKED;
}

// OptionButton and OptionGroup

OptionButton::OptionButton(Window& window, const ControlSpec& entry, const std::wstring& caption)
    : Control(window, entry) {
    create(L"BUTTON", BS_AUTORADIOBUTTON | WS_GROUP, caption);
}

void OptionButton::command(int code) {
    if (code == BN_CLICKED && onClick)
        onClick();
}

void OptionButton::setChecked(bool checked) {
    SendMessageW(handle(), BM_SETCHECK, checked ? BST_CHECKED : BST_UNCHECKED, 0);
}

OptionGroup::OptionGroup(std::vector<OptionButton*> buttons) : buttons_(std::move(buttons)) {
    for (std::size_t i = 0; i < buttons_.size(); ++i) {
        // The first button starts the group; the arrow keys move between the buttons up to the next group.
        setStyleBit(buttons_[i]->handle(), WS_GROUP, i == 0);
        buttons_[i]->onClick = [this, i] {
            if (onSelected)
                onSelected(static_cast<int>(i));
        };
    }
    select(-1);
}

void OptionGroup::select(int index) {
    selected_ = index;
    for (std::size_t i = 0; i < buttons_.size(); ++i) {
        const bool chosen = static_cast<int>(i) == index;
        buttons_[i]->setChecked(chosen);
        // One Tab stop for the group: its chosen button, or the first while none is chosen.
        setStyleBit(buttons_[i]->handle(), WS_TABSTOP, chosen || (index < 0 && i == 0));
    }
}

// DropList

DropList::DropList(Window& window, const ControlSpec& entry) : Control(window, entry) {
    create(L"COMBOBOX", CBS_DROPDOWNLIST | WS_VSCROLL | WS_TABSTOP | WS_GROUP, L"");
}

void DropList::layout() {
    Control::layout();
    // The window's height includes the dropped list.
    RECT r{};
    GetWindowRect(handle(), &r);
    constexpr int kDroppedRows = 8;
    SetWindowPos(handle(), nullptr, 0, 0, r.right - r.left, (r.bottom - r.top) * kDroppedRows,
                 SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void DropList::command(int code) {
    if (code == CBN_SELCHANGE && onSelected)
        onSelected(selected());
}

void DropList::setItems(const std::vector<std::string>& items) {
    SendMessageW(handle(), CB_RESETCONTENT, 0, 0);
    for (const std::string& item : items)
        SendMessageW(handle(), CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(wide(item).c_str()));
}

void DropList::select(int index) {
    SendMessageW(handle(), CB_SETCURSEL, static_cast<WPARAM>(index), 0);
}

int DropList::selected() const {
    return static_cast<int>(SendMessageW(handle(), CB_GETCURSEL, 0, 0));
}

// ColumnList

ColumnList::ColumnList(Window& window, const ControlSpec& entry)
    : Control(window, entry), background_(CreateSolidBrush(kWindowColour)) {
    create(L"LISTBOX",
           LBS_OWNERDRAWFIXED | LBS_HASSTRINGS | LBS_NOINTEGRALHEIGHT | LBS_NOTIFY | WS_VSCROLL | WS_BORDER |
               WS_TABSTOP | WS_GROUP,
           L"");
}

void ColumnList::layout() {
    Control::layout();
    HDC dc = GetDC(handle());
    TEXTMETRICW metrics{};
    {
        const Selection selected(dc, window().fontFor(entry().font));
        GetTextMetricsW(dc, &metrics);
    }
    ReleaseDC(handle(), dc);
    SendMessageW(handle(), LB_SETITEMHEIGHT, 0, metrics.tmHeight + window().scaled(1));
}

HBRUSH ColumnList::colour(HDC dc) {
    SetTextColor(dc, textColour());
    SetBkColor(dc, kWindowColour);
    return background_.get();
}

void ColumnList::draw(const DRAWITEMSTRUCT& item) {
    if (item.itemID == static_cast<UINT>(-1))
        return;
    const bool chosen = (item.itemState & ODS_SELECTED) != 0;
    FillRect(item.hDC, &item.rcItem, chosen ? GetSysColorBrush(COLOR_HIGHLIGHT) : background_.get());
    const auto length = SendMessageW(handle(), LB_GETTEXTLEN, item.itemID, 0);
    std::wstring row(static_cast<std::size_t>(std::max<LRESULT>(length, 0)) + 1, L'\0');
    row.resize(static_cast<std::size_t>(
        std::max<LRESULT>(SendMessageW(handle(), LB_GETTEXT, item.itemID, reinterpret_cast<LPARAM>(row.data())), 0)));

    const Selection selected(item.hDC, window().fontFor(entry().font));
    SetBkMode(item.hDC, TRANSPARENT);
    SetTextColor(item.hDC, chosen ? GetSysColor(COLOR_HIGHLIGHTTEXT) : textColour());
    const int margin = window().scaled(kTextMargin);
    RECT box{item.rcItem.left + margin, item.rcItem.top, item.rcItem.right - margin, item.rcItem.bottom};
    const std::size_t tab = row.rfind(L'\t');
    constexpr UINT kLine = DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX;
    if (tab != std::wstring::npos) {
        // The last column ends at the right edge; the columns before it have what is left, cut with an ellipsis.
        const std::wstring last = row.substr(tab + 1);
        RECT column = box;
        column.left = std::max(box.left, box.right - lastColumnWidth(item.hDC, last));
        DrawTextW(item.hDC, last.c_str(), static_cast<int>(last.size()), &column, kLine);
        box.right = std::max(box.left, column.left - 2 * margin);
        row.resize(tab);
        std::replace(row.begin(), row.end(), L'\t', L' ');
    }
    DrawTextW(item.hDC, row.c_str(), static_cast<int>(row.size()), &box, kLine | DT_END_ELLIPSIS);
    if (item.itemState & ODS_FOCUS)
        DrawFocusRect(item.hDC, &item.rcItem);
}

void ColumnList::setLastColumnTexts(const std::vector<std::string>& texts) {
    lastColumnTexts_.clear();
    for (const std::string& text : texts)
        lastColumnTexts_.push_back(wide(text));
    redraw();
}

int ColumnList::lastColumnWidth(HDC dc, const std::wstring& shown) const {
    int widest = 0;
    auto measure = [&](const std::wstring& text) {
        SIZE size{};
        GetTextExtentPoint32W(dc, text.c_str(), static_cast<int>(text.size()), &size);
        widest = std::max<int>(widest, size.cx);
    };
    measure(shown);
    for (const std::wstring& text : lastColumnTexts_)
        measure(text);
    return widest;
}

void ColumnList::clear() {
    SendMessageW(handle(), LB_RESETCONTENT, 0, 0);
}

void ColumnList::addRow(const std::string& utf8) {
    SendMessageW(handle(), LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(wide(utf8).c_str()));
}

void ColumnList::replaceRow(int index, const std::string& utf8) {
    SendMessageW(handle(), LB_DELETESTRING, static_cast<WPARAM>(index), 0);
    SendMessageW(handle(), LB_INSERTSTRING, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(wide(utf8).c_str()));
}

int ColumnList::rowCount() const {
    return static_cast<int>(SendMessageW(handle(), LB_GETCOUNT, 0, 0));
}

void ColumnList::suspendPainting() {
    SendMessageW(handle(), WM_SETREDRAW, FALSE, 0);
}

void ColumnList::resumePainting() {
    SendMessageW(handle(), WM_SETREDRAW, TRUE, 0);
    InvalidateRect(handle(), nullptr, TRUE);
}

// Gauge

Gauge::Gauge(Window& window, const ControlSpec& entry, Direction direction)
    : Control(window, entry), direction_(direction) {
    create(L"STATIC", SS_OWNERDRAW, L"");
}

void Gauge::setBar(int scale, int top, int height) {
    scale_ = scale;
    top_ = top;
    height_ = height;
    RECT area{};
    GetClientRect(handle(), &area);
    const RECT bar = barIn(area);
    // Only the gauge is drawn again, over itself (no erase, nothing else of the window), and only when the bar
    // covers other pixels: a release of many blocks moves it a pixel every few blocks.
    if (EqualRect(&bar, &drawnBar_))
        return;
    drawnBar_ = bar;
    InvalidateRect(handle(), nullptr, FALSE);
}

RECT Gauge::barIn(const RECT& area) const {
    RECT bar{area.left + 1, area.top + 1, area.right - 1, area.bottom - 1};
    if (scale_ <= 0 || height_ <= 0)
        return RECT{};
    if (direction_ == Direction::Up) {
        const int inner = bar.bottom - bar.top;
        bar.top += MulDiv(top_, inner, scale_);
        bar.bottom = std::min<LONG>(bar.bottom, bar.top + MulDiv(height_, inner, scale_));
    } else {
        const int inner = bar.right - bar.left;
        bar.left += MulDiv(top_, inner, scale_);
        bar.right = std::min<LONG>(bar.right, bar.left + MulDiv(height_, inner, scale_));
    }
    return bar;
}

void Gauge::draw(const DRAWITEMSTRUCT& item) {
    const RECT& area = item.rcItem;
    fillSolid(item.hDC, area, kWindowColour);
    const Brush frame(CreateSolidBrush(kFrameColour));
    FrameRect(item.hDC, &area, frame.get());
    drawnBar_ = barIn(area);
    if (!IsRectEmpty(&drawnBar_))
        fillSolid(item.hDC, drawnBar_, kGaugeColour);
}

// StatusLine

StatusLine::StatusLine(Window& window, const ControlSpec& entry) : Control(window, entry) {
    create(L"STATIC", SS_OWNERDRAW, L"");
    setTextColour(kGaugeColour);
}

void StatusLine::draw(const DRAWITEMSTRUCT& item) {
    fillBackground(item.hDC, item.rcItem);
    RECT box = item.rcItem;
    box.left += window().scaled(kTextMargin);
    drawText(item.hDC, box, window().fontFor(entry().font), DT_LEFT | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX);
}

// TabPage

TabPage::TabPage(Window& window, const ControlSpec& entry, const std::wstring& caption) : Control(window, entry) {
    create(WC_TABCONTROLW, 0, L"", true);
    TCITEMW tab{};
    tab.mask = TCIF_TEXT;
    std::wstring text = caption;
    tab.pszText = text.data();
    SendMessageW(handle(), TCM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&tab));
    SetWindowTextW(handle(), caption.c_str());
}

LRESULT TabPage::message(UINT msg, WPARAM wParam, LPARAM lParam) {
    if (msg == WM_ERASEBKGND)
        return 1;
    if (msg == WM_PAINT) {
        PAINTSTRUCT ps;
        HDC dc = BeginPaint(handle(), &ps);
        paint(dc);
        EndPaint(handle(), &ps);
        return 0;
    }
    return defaultMessage(msg, wParam, lParam);
}

void TabPage::paint(HDC dc) {
    RECT client{};
    GetClientRect(handle(), &client);
    RECT tab{};
    SendMessageW(handle(), TCM_GETITEMRECT, 0, reinterpret_cast<LPARAM>(&tab));
    tab.left = client.left;
    tab.top = client.top;
    // The strip beside the tab shows the window the page lies on; under it lies the page area.
    RECT strip{client.left, client.top, client.right, tab.bottom};
    fillSolid(dc, strip, kWindowColour);
    RECT area{client.left, tab.bottom, client.right, client.bottom};
    fillSolid(dc, area, kPageColour);
    const Brush border(CreateSolidBrush(colourOf(palette::kTabBorder)));
    FrameRect(dc, &area, border.get());
    RECT tabBox{tab.left, tab.top, tab.right, tab.bottom + 1};
    fillSolid(dc, tabBox, colourOf(palette::kTabBackground));
    FrameRect(dc, &tabBox, border.get());
    RECT join{tab.left + 1, tab.bottom, tab.right - 1, tab.bottom + 1};
    fillSolid(dc, join, colourOf(palette::kTabBackground));
    const Selection selected(dc, window().fontFor(entry().font));
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, colourOf(palette::kTabText));
    const std::wstring caption = text();
    DrawTextW(dc, caption.c_str(), static_cast<int>(caption.size()), &tab,
              DT_CENTER | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX);
}

} // namespace kelvora::win32
