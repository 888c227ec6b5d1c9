#pragma once

#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace kelvora {

class StringTable;

// What a control is; it decides how much of the control's width its text may use.
enum class ControlKind {
    Label,
    Link,
    Button,
    CheckBox,
    OptionButton,
    ComboBox,
    ListBox,
    Tab,
    StatusLine,
    Picture,
    Line,
    Menu // a menu or menu item: it has no place of its own and sizes itself to its text
};

enum class TextAlign { Left, Centre, Right };

// A place in twips (1/1440 inch), relative to the window or page that holds the control.
struct TwipRect {
    int left = 0;
    int top = 0;
    int width = 0;
    int height = 0;
};

// A place in pixels at 96 dpi.
struct PixelRect {
    int left = 0;
    int top = 0;
    int width = 0;
    int height = 0;
};

// Every font of the windows is the windows' face; only its size and weight differ.
struct FontSpec {
    double points = 9.75;
    bool bold = false;
};

inline constexpr int kNoSlot = -1;

// One control of a window or page, as both front ends build it.
struct ControlSpec {
    const char* name = "";
    ControlKind kind = ControlKind::Label;
    TwipRect place{};
    FontSpec font{};
    TextAlign align = TextAlign::Left;
    bool wraps = false;
    // The string-table slot of its caption; a list shows `items` consecutive slots from it.
    int slot = kNoSlot;
    int items = 1;
    // Texts composed at run time, checked instead of the bare slot: "{218} 999 {219}" is slot 218, " 999 ", slot 219;
    // several alternatives are separated by "|".
    const char* composed = nullptr;
};

// The controls of one window or page, bottom of the stacking order first.
using ControlTable = std::span<const ControlSpec>;

int twipsToPixels(int twips);
PixelRect toPixels(const TwipRect& place);

// The control called `name`; a missing name is a programming error and ends the program.
const ControlSpec& findControl(ControlTable table, std::string_view name);

// Pixels of the control's width its frame, box or drop button take, so its text has the rest.
int textInset(ControlKind kind);

// The texts `control` shows with `strings`, with "&" mnemonics of buttons and boxes taken out; none when it
// shows no string-table text.
std::vector<std::string> shownTexts(const ControlSpec& control, const StringTable& strings);

} // namespace kelvora
