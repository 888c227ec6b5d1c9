#include "settings/Language.h"

namespace kelvora {

// Placeholders until the language loader lands.
void LoadLanguage(Registry&, FileSystem&, StringTable&, const std::function<void(const std::string&)>&) {}
int LoadLanguageFile(FileSystem&, StringTable&, const std::string&) { return 1; }

} // namespace kelvora
