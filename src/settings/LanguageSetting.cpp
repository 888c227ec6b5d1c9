#include "settings/LanguageSetting.h"

#include <variant>

#include "platform/Registry.h"
#include "settings/RegistrySettings.h"

namespace kelvora {

std::string readCurLang(Registry& registry) {
    RegKey key = kNullKey;
    registry.OpenKey(kHkeyCurrentUser, JoinKeyPath(kSettingsBaseKey, kAppTitle, kSettingsSection), kKeyRead, key);
    RegData value;
    std::uint32_t type = 0;
    ReadValueData(registry, key, kCurLangValue, value, type);
    if (key != kNullKey)
        registry.CloseKey(key);
    // Only a text names a language: a number or other data stored there counts as no choice, as a blank text does.
    const std::string* name = std::get_if<std::string>(&value);
    if (!name || (type != REG_SZ && type != REG_EXPAND_SZ) || name->find_first_not_of(' ') == std::string::npos)
        return {};
    return *name;
}

bool saveCurLang(Registry& registry, const std::string& name) {
    return SaveRegSetting(registry, kAppTitle, kSettingsSection, kCurLangValue, name, kHkeyCurrentUser,
                          kSettingsBaseKey, REG_SZ);
}

} // namespace kelvora
