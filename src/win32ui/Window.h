#pragma once

#include "win32ui/Controls.h" // first: the platform headers before <windows.h>

#include <cstdlib>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "frontend/ControlTable.h"

namespace kelvora {
class StringTable;
}

namespace kelvora::win32 {

// One window or page built from a control table: it places its controls in twips scaled to its DPI, gives them the
// Calibri font and hands each control's notifications, colours and drawing to the control object.
class Window {
public:
    // Menu items take ids of their own, apart from the controls' and from IDOK/IDCANCEL.
    static constexpr UINT kFirstMenuId = 0x1000;
    static constexpr UINT kLastMenuId = 0x1FFF;

    Window();
    virtual ~Window();
    Window(const Window&) = delete;
    Window& operator=(const Window&) = delete;

    // The window object of `hwnd`, or nullptr.
    static Window* of(HWND hwnd);

    // A top-level window with a client area of `width` x `height` pixels at 96 dpi, centred on the work area.
    bool createTopLevel(const std::wstring& title, DWORD style, DWORD exStyle, int width, int height, HMENU menu,
                        HWND owner = nullptr);
    // A child window at `place` in its parent's twips, filled with `background`.
    bool createChild(HWND parent, const TwipRect& place, COLORREF background);
    // A page: a child at the place of page container `container`, its tab (captioned by the container's slot)
    // beneath the controls added later, in the page area's colour.
    bool createPage(HWND parent, const ControlSpec& container, const StringTable& strings);

    // Creates the table's controls, captioned from `strings` by slot; a text composed at run time starts empty.
    void addControls(ControlTable table, const StringTable& strings);
    // Puts a control of kind T in the place of the one called `name`.
    template <typename T, typename... Args> T& replace(std::string_view name, Args&&... args) {
        const std::size_t index = indexOf(name);
        auto control = std::make_unique<T>(*this, controls_[index]->entry(), std::forward<Args>(args)...);
        T& made = *control;
        DestroyWindow(controls_[index]->handle());
        controls_[index] = std::move(control);
        made.layout();
        arrange();
        return made;
    }
    // The control called `name` as what it is; a missing name or another kind is a programming error.
    template <typename T> T& get(std::string_view name) const {
        auto* control = dynamic_cast<T*>(controls_[indexOf(name)].get());
        if (!control)
            std::abort();
        return *control;
    }

    HWND handle() const { return hwnd_; }
    // Controls are numbered in the order they are made, which is the order of their tables.
    UINT takeControlId() { return nextControlId_++; }
    bool open() const { return hwnd_ != nullptr; }
    void close();
    UINT dpi() const { return dpi_; }
    int scaled(int pixels96) const;
    HFONT fontFor(const FontSpec& font);
    HBRUSH backgroundBrush() const { return background_.get(); }
    COLORREF background() const { return backgroundColour_; }
    // What shows behind `control`: the picture beneath it, aligned to it, else the window's background.
    HBRUSH brushBehind(const Control& control, HDC dc);
    // Gives `control` the focus, now and whenever the window is activated again, as a dialog does.
    void focus(const Control& control);
    // The pointer over the window and the controls without one of their own.
    void setCursor(HCURSOR cursor) { cursor_ = cursor; }

    std::function<void(UINT_PTR id)> onTimer;
    std::function<void(UINT id)> onMenu;
    // Escape in the window, wherever its focus is.
    std::function<void()> onEscape;
    // Any other message first; true when it was handled, with `result` set.
    std::function<bool(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result)> onMessage;

private:
    static ATOM classAtom();
    static LRESULT CALLBACK procedure(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
    LRESULT handle(UINT message, WPARAM wParam, LPARAM lParam);
    std::size_t indexOf(std::string_view name) const;
    std::unique_ptr<Control> make(const ControlSpec& row, const StringTable& strings);
    void layout();
    // Stacking and Tab order: the controls that take input in table order, then the child pages, then the rest
    // with later rows above earlier ones.
    void arrange();

    HWND hwnd_ = nullptr;
    UINT dpi_ = 96;
    TwipRect childPlace_{};
    bool child_ = false;
    std::vector<std::unique_ptr<Control>> controls_;
    std::vector<HWND> pages_;
    std::vector<std::pair<int, Font>> fonts_;
    COLORREF backgroundColour_;
    Brush background_;
    HCURSOR cursor_ = nullptr;
    UINT nextControlId_ = 100;
    HWND focused_ = nullptr; // the control that had the focus when the window was last deactivated
};

// Runs every pending message, as the event loop would, and returns; a quit request is kept for the main loop.
// False once the program is quitting.
bool pumpPendingMessages();
// The main loop, until WM_QUIT.
int runMessageLoop();

// A message box over `owner` with the program's title; the text shows as plain text.
void messageBox(HWND owner, const std::string& text, UINT icon);

std::wstring wide(std::string_view utf8);

// A pointer or handle that a message carries in its WPARAM or LPARAM (a control, a DC, a structure).
template <typename Pointer, typename Parameter> Pointer fromParam(Parameter value) {
    return reinterpret_cast<Pointer>(value); // NOLINT(performance-no-int-to-ptr): how Win32 passes them
}

} // namespace kelvora::win32
