#include "settings/LanguageSetting.h"

#include "platform/Registry.h"
#include "settings/RegistrySettings.h"

namespace kelvora {

std::string readCurLang(Registry& registry) {
    return GetRegSetting(registry, kAppTitle, kSettingsSection, kCurLangValue, "", kHkeyCurrentUser, kSettingsBaseKey,
                         false);
}

bool saveCurLang(Registry& registry, const std::string& name) {
    return SaveRegSetting(registry, kAppTitle, kSettingsSection, kCurLangValue, name, kHkeyCurrentUser,
                          kSettingsBaseKey, REG_SZ);
}

} // namespace kelvora
