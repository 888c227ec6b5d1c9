#pragma once

#include "win32ui/Gdi.h" // first: the platform headers before <windows.h>

#include <functional>
#include <string>
#include <vector>

#include "frontend/ControlTable.h"

namespace kelvora::win32 {

class Window;

// One control of a window, built from its row of a control table. The object is the control's GWLP_USERDATA, so
// the window hands each notification, colour and drawing question to the control it concerns.
class Control {
public:
    Control(Window& window, const ControlSpec& entry);
    virtual ~Control() = default;
    Control(const Control&) = delete;
    Control& operator=(const Control&) = delete;

    // The control object of `hwnd`, or nullptr when it is none of ours.
    static Control* of(HWND hwnd);

    HWND handle() const { return hwnd_; }
    const ControlSpec& entry() const { return entry_; }
    Window& window() const { return window_; }

    // Plain text (UTF-8 in); drawn controls keep it as their name for UI Automation.
    void setText(const std::string& utf8);
    std::wstring text() const;
    void show(bool shown);
    bool visible() const;
    void redraw() const;
    void setTextColour(COLORREF colour);

    // Places the control at its twips scaled to the window's DPI, in the window's font.
    virtual void layout();
    // Takes input: stacked above the pictures, in Tab order, a group of its own for the arrow keys.
    virtual bool interactive() const { return false; }

    virtual void command(int /*code*/) {}
    virtual void draw(const DRAWITEMSTRUCT& /*item*/) {}
    // WM_CTLCOLOR*: sets the text colour and returns the background brush.
    virtual HBRUSH colour(HDC dc);
    // The pointer over the control; nullptr leaves the window's own.
    virtual HCURSOR cursor() const { return nullptr; }

protected:
    // Creates the window of the control; `subclass` makes `message` see its messages first.
    void create(const wchar_t* windowClass, DWORD style, const std::wstring& caption, bool subclass = false);
    // A subclassed control's messages; return DefSubclassProc's answer for the ones it leaves alone.
    virtual LRESULT message(UINT msg, WPARAM wParam, LPARAM lParam);
    LRESULT defaultMessage(UINT msg, WPARAM wParam, LPARAM lParam) const;
    COLORREF textColour() const { return textColour_; }
    // Fills the control's background as the window behind it shows.
    void fillBackground(HDC dc, const RECT& area);
    void drawText(HDC dc, const RECT& area, HFONT font, UINT format) const;

private:
    static LRESULT CALLBACK subclassProcedure(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam, UINT_PTR id,
                                              DWORD_PTR data);

    Window& window_;
    ControlSpec entry_;
    HWND hwnd_ = nullptr;
    COLORREF textColour_;
};

// Text; "&" is never a mnemonic. `onClick` makes it act on a click.
class Label : public Control {
public:
    Label(Window& window, const ControlSpec& entry, const std::wstring& caption);
    void command(int code) override;
    std::function<void()> onClick;
};

// A drawn caption that takes the focus and acts on a click, Enter and Space, with the hand pointer over it.
class Link : public Control {
public:
    Link(Window& window, const ControlSpec& entry, const std::wstring& caption);
    bool interactive() const override { return true; }
    void command(int code) override;
    void draw(const DRAWITEMSTRUCT& item) override;
    HCURSOR cursor() const override;
    void setUnderlined(bool underlined);
    bool underlined() const { return underlined_; }
    // Drops its Tab stop: a second text of an item whose first text takes the focus.
    void removeTabStop();

    std::function<void()> onClick;
    std::function<void()> onHover;
    // The focus came (true) or went; `keyboard` when a key moved it, not a mouse press.
    std::function<void(bool focused, bool keyboard)> onFocus;

protected:
    LRESULT message(UINT msg, WPARAM wParam, LPARAM lParam) override;

private:
    bool underlined_ = false;
    Font underlinedFont_;
};

// A bitmap resource at its natural size scaled to the DPI, the twice-size one from 144 dpi on. Narrower pictures
// than their place (strips) stretch to fill it; wider ones (the banner) are cut.
class Picture : public Control {
public:
    Picture(Window& window, const ControlSpec& entry);
    void setPicture(const wchar_t* resource);
    // Shows the program icon at `pixels96` square instead.
    void setIcon(int pixels96);
    void layout() override;
    void command(int code) override;
    void draw(const DRAWITEMSTRUCT& item) override;
    HCURSOR cursor() const override;
    // The picture as drawn at its place, for the captions above it; nullptr when it has none.
    HBRUSH pattern(HDC dc);

    std::function<void()> onClick; // also shows the hand pointer

private:
    void paint(HDC dc, const RECT& area) const;

    std::wstring resource_;
    Bitmap bitmap_;
    int bitmapScale_ = 1;
    int iconPixels_ = 0;
    Brush pattern_;
};

// A thin drawn line.
class Line : public Control {
public:
    Line(Window& window, const ControlSpec& entry);
    void draw(const DRAWITEMSTRUCT& item) override;
};

class PushButton : public Control {
public:
    PushButton(Window& window, const ControlSpec& entry, const std::wstring& caption);
    bool interactive() const override { return true; }
    void command(int code) override;
    std::function<void()> onClick;
};

class CheckBox : public Control {
public:
    CheckBox(Window& window, const ControlSpec& entry, const std::wstring& caption);
    bool interactive() const override { return true; }
    void command(int code) override;
    void setChecked(bool checked);
    bool checked() const;
    // The box was clicked; `ticked` is the state the click asks for.
    std::function<void(bool ticked)> onToggled;
};

// One option button; an OptionGroup binds several.
class OptionButton : public Control {
public:
    OptionButton(Window& window, const ControlSpec& entry, const std::wstring& caption);
    bool interactive() const override { return true; }
    void command(int code) override;
    void setChecked(bool checked);
    std::function<void()> onClick;
};

// Option buttons that choose one of them: one Tab stop (the chosen one), arrows move within the group.
class OptionGroup {
public:
    explicit OptionGroup(std::vector<OptionButton*> buttons);
    // Shows `index` chosen (-1: none) without running onSelected.
    void select(int index);
    int selected() const { return selected_; }
    std::function<void(int index)> onSelected;

private:
    std::vector<OptionButton*> buttons_;
    int selected_ = -1;
};

// A drop-down list that cannot be edited.
class DropList : public Control {
public:
    DropList(Window& window, const ControlSpec& entry);
    bool interactive() const override { return true; }
    void layout() override;
    void command(int code) override;
    void setItems(const std::vector<std::string>& items);
    void select(int index); // -1: none
    int selected() const;
    std::function<void(int index)> onSelected;
};

// A list whose rows are columns separated by tabs: the last column starts where the widest of its expected texts
// still ends at the list's right edge, and the columns before it are cut with an ellipsis to make room for it.
class ColumnList : public Control {
public:
    ColumnList(Window& window, const ControlSpec& entry);
    bool interactive() const override { return true; }
    void layout() override;
    void draw(const DRAWITEMSTRUCT& item) override;
    HBRUSH colour(HDC dc) override;
    // The texts the last column may show; it is as wide as the widest of them.
    void setLastColumnTexts(const std::vector<std::string>& texts);
    void clear();
    void addRow(const std::string& utf8);
    void replaceRow(int index, const std::string& utf8);
    int rowCount() const;
    void suspendPainting();
    void resumePainting();

private:
    int lastColumnWidth(HDC dc, const std::wstring& shown) const;

    Brush background_;
    std::vector<std::wstring> lastColumnTexts_;
};

// A bar filled in the accent colour: from the bottom (vertical) or from the left, `value` of `scale` units.
class Gauge : public Control {
public:
    enum class Direction { Up, Right };
    Gauge(Window& window, const ControlSpec& entry, Direction direction);
    void draw(const DRAWITEMSTRUCT& item) override;
    // The bar covers units [top, top + height) of `scale`, counted from the top (Up) or from the left (Right).
    void setBar(int scale, int top, int height);

private:
    RECT barIn(const RECT& area) const;

    Direction direction_;
    RECT drawnBar_{};
    int scale_ = 0;
    int top_ = 0;
    int height_ = 0;
};

// A line of bold text drawn in the accent colour.
class StatusLine : public Control {
public:
    StatusLine(Window& window, const ControlSpec& entry);
    void draw(const DRAWITEMSTRUCT& item) override;
};

// The container of a page: one tab with its caption above the page area, drawn in the page's colours.
class TabPage : public Control {
public:
    TabPage(Window& window, const ControlSpec& entry, const std::wstring& caption);

protected:
    LRESULT message(UINT msg, WPARAM wParam, LPARAM lParam) override;

private:
    void paint(HDC dc);
};

} // namespace kelvora::win32
