#pragma once

#include <array>
#include <string_view>

namespace kelvora::navigation {

// What activating a navigation item or a menu item does: the same for a click, a key and an assistive tool's press.
enum class Command { ShowPage, ShowAbout, EndProgram, ShowUpdate, OpenReadme, OpenLicence, OpenHomePage, None };

// How assistive tools present an item: the page items as page tabs, the others as links.
enum class Role { PageTab, Link };

struct Item {
    const char* control; // the control's name in the main window
    int captionSlot;     // string table slot of its text, which is also its accessible name
    Command command;
    int page;     // the page ShowPage shows (0 = x1 ... 3 = x4); -1 for the other commands
    int hoverBar; // the hover bar shown while it has the keyboard focus (0 = a1 ...); -1: its text is underlined
    bool tabStop; // takes the focus with Tab; the tile's second text shares the first one's stop
    Role role;
};

// The navigation column top to bottom, then the update tile: the keyboard focus visits them in this order, before
// the controls of the shown page.
inline constexpr std::array<Item, 8> kItems{{
    {"Label3", 187, Command::ShowPage, 0, 0, true, Role::PageTab},
    {"Label4", 188, Command::ShowPage, 1, 1, true, Role::PageTab},
    {"Label5", 189, Command::ShowPage, 2, 2, true, Role::PageTab},
    {"Label6", 190, Command::ShowPage, 3, 3, true, Role::PageTab},
    {"Label7", 191, Command::ShowAbout, -1, 4, true, Role::Link},
    {"Label8", 192, Command::EndProgram, -1, 5, true, Role::Link},
    {"Label21", 193, Command::ShowUpdate, -1, -1, true, Role::Link},
    {"Label22", 135, Command::ShowUpdate, -1, -1, false, Role::Link},
}};

// The menu bar, in menu order: each item names its menu (0 = prog1, 1 = pom1); captions come from the string table
// by the control's slot. A separator has no command.
inline constexpr std::array<const char*, 2> kMenus{"prog1", "pom1"};

struct MenuItem {
    const char* control;
    int menu;
    Command command;
};

inline constexpr std::array<MenuItem, 9> kMenuItems{{
    {"za", 0, Command::EndProgram},
    {"read1", 1, Command::OpenReadme},
    {"lic1", 1, Command::OpenLicence},
    {"s2", 1, Command::None},
    {"spru", 1, Command::ShowUpdate},
    {"s3", 1, Command::None},
    {"strw", 1, Command::OpenHomePage},
    {"s4", 1, Command::None},
    {"oprog", 1, Command::ShowAbout},
}};

// The item named `control`, or nullptr when it is no navigation item.
const Item* findItem(std::string_view control);

// The item that shows page `page`, or nullptr.
const Item* itemShowingPage(int page);

// Keys as a focused item or button sees them.
enum class Key { Enter, Space, Other };

// Enter and Space act on a focused item exactly as a click; a key held down acts once.
bool keyActivates(Key key, bool autoRepeat);

// The focus cue appears only when the keyboard moved the focus, so the window a mouse user sees stays as it is.
enum class FocusReason { Keyboard, Other };
bool showsFocusCue(FocusReason reason);

} // namespace kelvora::navigation
