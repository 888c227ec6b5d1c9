#pragma once

#include <string>

namespace kelvora {

class Registry;

// The settings key every caller uses: HKEY_CURRENT_USER\SOFTWARE\Talvek\Kelvora 2008\Settings.
inline constexpr const char* kAppTitle = "Kelvora 2008";
inline constexpr const char* kSettingsBaseKey = "SOFTWARE\\Talvek";
inline constexpr const char* kSettingsSection = "Settings";
inline constexpr const char* kCurLangValue = "curLang";

// The fixed text shown when the language chosen could not be stored.
inline constexpr const char* kLanguageSaveError = "Error: Failed saving selected language.";

// `curLang` read afresh with the empty text as default.
std::string readCurLang(Registry& registry);
// Stores `name` as `curLang` (a string value); false when the store could not be written.
bool saveCurLang(Registry& registry, const std::string& name);

} // namespace kelvora
