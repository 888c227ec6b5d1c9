#include "settings/LanguageSetting.h"

#include "platform/Registry.h"

namespace kelvora {

// Placeholder until the settings layer lands.
std::string readCurLang(Registry&) { return {}; }
bool saveCurLang(Registry&, const std::string&) { return false; }

} // namespace kelvora
