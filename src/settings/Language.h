#pragma once

#include <functional>
#include <string>

namespace kelvora {

class FileSystem;
class Registry;
class StringTable;

// Selects the language at start-up: reads `curLang`; when none is stored, tells the user through `showError`
// (with the fixed English text, since the table is still empty) and stores "English"; then fills `table` from
// program folder\languages\<name>\<name>.txt.
void LoadLanguage(Registry& registry, FileSystem& files, StringTable& table,
                  const std::function<void(const std::string&)>& showError);

// Fills `table` from one language file. 0 when the file was found and read, 1 when `fileName` is empty or no such
// ordinary file exists.
int LoadLanguageFile(FileSystem& files, StringTable& table, const std::string& fileName);

} // namespace kelvora
