#pragma once

#include "win32ui/Win32.h" // first: before any header of the platform layer

#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "frontend/ControlTable.h"
#include "win32ui/Colour.h"

namespace kelvora {
class StringTable;
}

namespace kelvora::win32 {

// What a window's owner answers for it; every hook is optional.
struct WindowHooks {
    // A control sent a notification (BN_CLICKED, STN_CLICKED, CBN_SELCHANGE, ...).
    std::function<void(const char* control, int code)> command;
    // Draws an owner-drawn control (status line, gauge); false leaves the default drawing (pictures, lines).
    std::function<bool(const char* control, HDC dc, const RECT& area)> draw;
    std::function<void(UINT_PTR id)> timer;
    // Any other message; true when it was handled, with `result` set.
    std::function<bool(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result)> message;
};

// One window or page built from a control table: it places the controls in twips scaled to its DPI, gives them
// the Calibri font, answers their colour questions and passes their notifications to its hooks.
class Window {
public:
    Window();
    virtual ~Window();
    Window(const Window&) = delete;
    Window& operator=(const Window&) = delete;

    // A top-level window with a client area of `width` x `height` pixels at 96 dpi, centred on the work area.
    bool createTopLevel(const std::wstring& title, DWORD style, DWORD exStyle, int width, int height, HMENU menu,
                        HWND owner = nullptr);
    // A child window (a page) at `place` in its parent's twips.
    bool createChild(HWND parent, const TwipRect& place);
    // A page: a child at the place of page container `container`, its tab (captioned by the container's slot)
    // filling it beneath the controls added later.
    bool createPage(HWND parent, const ControlSpec& container, const StringTable& strings);

    // Creates the table's controls, bottom of the stacking order first, captioned from `strings` by slot.
    void addControls(ControlTable table, const StringTable& strings);

    HWND handle() const { return hwnd_; }
    // The control called `name`; nullptr when it has none.
    HWND control(std::string_view name) const;
    UINT dpi() const { return dpi_; }
    int scaled(int pixels96) const;

    // Sets a control's text as plain text (UTF-8 in), and its accessible name with it.
    void setText(std::string_view name, const std::string& utf8);
    void showControl(std::string_view name, bool shown);
    // A picture control shows the bitmap resource `resource`, drawn at its natural size scaled to the DPI.
    void setPicture(std::string_view name, const wchar_t* resource);
    // Text colour of a label or link.
    void setTextColour(std::string_view name, COLORREF colour);
    // Draws a link's caption underlined (its focus cue where it has no hover bar).
    void setUnderlined(std::string_view name, bool underlined);
    // Redraws an owner-drawn control.
    void redraw(std::string_view name);
    // The font a control of this window uses.
    HFONT fontFor(const FontSpec& font);

    WindowHooks hooks;

private:
    struct Placed {
        HWND hwnd = nullptr;
        ControlSpec row;
        HBITMAP bitmap = nullptr; // pictures: the resource as loaded
        HBRUSH pattern = nullptr; // pictures: the picture as scaled, for the labels above it
        COLORREF colour = colourOf(palette::kText);
        bool underlined = false;
    };
    struct Font {
        int key = 0;
        HFONT handle = nullptr;
    };

    static LRESULT CALLBACK procedure(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
    LRESULT handle(UINT message, WPARAM wParam, LPARAM lParam);
    const Placed* find(HWND hwnd) const;
    Placed* find(std::string_view name);
    const Placed* find(std::string_view name) const;
    RECT placeOf(const ControlSpec& row) const;
    void layout();
    void dropScaledPictures();
    HBRUSH backgroundFor(const Placed& control, HDC dc);
    void drawPicture(const Placed& picture, HDC dc, const RECT& area);
    void drawItem(const DRAWITEMSTRUCT& item);
    void drawCaption(const Placed& link, HDC dc, const RECT& area);

    HWND hwnd_ = nullptr;
    UINT dpi_ = 96;
    TwipRect childPlace_{};
    bool child_ = false;
    std::vector<Placed> controls_;
    std::vector<Font> fonts_;
    HBRUSH white_ = nullptr;
};

// Runs every pending message, as the event loop would, and returns; a quit request is kept for the main loop.
// False once the program is quitting.
bool pumpPendingMessages();
// The main loop, until WM_QUIT: dialog keys (Tab, arrows, Enter, Space) move and press the controls of each window.
int runMessageLoop();

// A message box over `owner` with the program's title; the text shows as plain text.
void messageBox(HWND owner, const std::string& text, UINT icon);

std::wstring wide(std::string_view utf8);

// A pointer or handle that a message carries in its WPARAM or LPARAM (a control, a DC, a structure).
template <typename Pointer, typename Parameter> Pointer fromParam(Parameter value) {
    return reinterpret_cast<Pointer>(value); // NOLINT(performance-no-int-to-ptr): how Win32 passes them
}

} // namespace kelvora::win32
