#include "app/ShellLogic.h"

namespace kelvora {

int languageIndex(const std::string& name) {
    for (std::size_t i = 0; i < kLanguageNames.size(); ++i) {
        if (name == kLanguageNames[i])
            return static_cast<int>(i);
    }
    return -1;
}

bool startsWindowDrag(HeldButtons held, bool overBareBackground) {
    return overBareBackground && held == HeldButtons::LeftOnly;
}

} // namespace kelvora
