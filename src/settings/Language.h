#pragma once

#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace kelvora {

class FileSystem;
class Registry;
class StringTable;

// The fixed text shown when no language is stored; the table is still empty then.
inline constexpr const char* kLanguageLoadError = "Error: Failed loading selected language.";

// What one line of a language file sets.
struct LanguageLine {
    int slot = 0;
    std::string text;
};

// One line of a language file, counted in characters (code points): nothing for a comment (";" first), a blank
// line (spaces only) or a slot number outside 0..999. Characters 1-3 hold the number (spaces ignored), character 4
// is a separator, the rest is the text with every "_" turned into a carriage return.
std::optional<LanguageLine> parseLanguageLine(const std::string& line);

// Sets a slot for every line that sets one, in order, so a later line for the same slot wins.
void applyLanguageLines(const std::vector<std::string>& lines, StringTable& table);

// Selects the language at start-up: reads `curLang`; when none is stored, tells the user through `showError`
// (with the fixed English text, since the table is still empty) and stores "English"; then fills `table` from
// program folder\languages\<name>\<name>.txt.
void LoadLanguage(Registry& registry, FileSystem& files, StringTable& table,
                  const std::function<void(const std::string&)>& showError);

// Fills `table` from one language file. 0 when the file was found and read, 1 when `fileName` is empty or no such
// ordinary file exists.
int LoadLanguageFile(FileSystem& files, StringTable& table, const std::string& fileName);

} // namespace kelvora
