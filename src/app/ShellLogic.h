#pragma once

#include <array>
#include <string>

namespace kelvora {

// The languages the settings page offers, in the order of its list; names are compared case-sensitively.
inline constexpr std::array<const char*, 3> kLanguageNames{"English", "Polish", "Deutsch"};

// Position of `name` in kLanguageNames, or -1 when it is none of them (the list then shows no selection).
int languageIndex(const std::string& name);

// Which mouse buttons are held during a move over the main window.
enum class HeldButtons { None, LeftOnly, Other };

// Moving the window by the mouse starts only from the bare background with the left button alone.
bool startsWindowDrag(HeldButtons held, bool overBareBackground);

} // namespace kelvora
