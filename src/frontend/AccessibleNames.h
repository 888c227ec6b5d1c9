#pragma once

#include <array>
#include <string>
#include <string_view>

// Accessible names of the controls that show no text of their own, read by the windows of every front end.
namespace kelvora::accessible {

// Where a control's accessible name comes from when it has no text of its own: a string table slot, or the
// caption of the control beside it (the label above a list, the check box before a drop-down list).
struct NameSource {
    const char* control;
    int slot;                // -1 when the name is another control's caption
    const char* fromControl; // nullptr when the name is a slot
};

inline constexpr std::array<NameSource, 5> kNameSources{{
    {"ProcessList", -1, "ProcessesLabel"},
    {"TimeCombo", -1, "CheckOptionRAM0"},
    {"GaugePic", 189, nullptr},
    {"optLang", -1, "Label12"},
    {"PB1", -1, "lblInfo"}, // the update window's progress bar, under its "Checking..." line
}};

// A caption as a name: the access-key marks taken out ("&Save" is "Save", "&&" is "&").
std::string accessibleNameOf(std::string_view caption);

} // namespace kelvora::accessible
