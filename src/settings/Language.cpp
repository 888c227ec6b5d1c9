#include "settings/Language.h"

#include <algorithm>

#include "platform/FileSystem.h"
#include "settings/LanguageSetting.h"
#include "settings/StringTable.h"

namespace kelvora {

namespace {

constexpr const char* kDefaultLanguage = "English";

// The line's characters, each one UTF-8 sequence; a byte that starts none counts as one character of its own.
std::vector<std::string> characters(const std::string& line) {
    std::vector<std::string> chars;
    std::size_t pos = 0;
    while (pos < line.size()) {
        const auto lead = static_cast<unsigned char>(line[pos]);
        std::size_t length = lead < 0xC0 ? 1 : lead < 0xE0 ? 2 : lead < 0xF0 ? 3 : 4;
        if (pos + length > line.size())
            length = 1;
        for (std::size_t i = 1; i < length; ++i)
            if ((static_cast<unsigned char>(line[pos + i]) & 0xC0) != 0x80)
                length = 1;
        chars.push_back(line.substr(pos, length));
        pos += length;
    }
    return chars;
}

// The number at the start of the field, spaces ignored: an optional sign, then digits; 0 when none begin it.
int fieldNumber(const std::vector<std::string>& field) {
    int sign = 1;
    int number = 0;
    bool started = false;
    for (const std::string& c : field) {
        if (c == " ")
            continue;
        if (!started && (c == "-" || c == "+")) {
            sign = c == "-" ? -1 : 1;
            started = true;
        } else if (c.size() == 1 && c[0] >= '0' && c[0] <= '9') {
            number = number * 10 + (c[0] - '0');
            started = true;
        } else {
            break;
        }
    }
    return sign * number;
}

std::string fileNameFor(const FileSystem& files, const std::string& name) {
    return files.dataFolder() + "\\languages\\" + name + "\\" + name + ".txt";
}

// A file whose name begins with "." is hidden, and a hidden file counts as absent.
bool isHidden(const std::string& path) {
    const std::size_t slash = path.find_last_of('/');
    return path.compare(slash == std::string::npos ? 0 : slash + 1, 1, ".") == 0;
}

} // namespace

std::optional<LanguageLine> parseLanguageLine(const std::string& line) {
    if (line.find_first_not_of(' ') == std::string::npos || line.front() == ';')
        return std::nullopt;
    const std::vector<std::string> chars = characters(line);
    const std::size_t fieldEnd = std::min<std::size_t>(3, chars.size());
    LanguageLine parsed;
    parsed.slot = fieldNumber(std::vector<std::string>(chars.begin(), chars.begin() + fieldEnd));
    if (parsed.slot < 0 || parsed.slot > 999)
        return std::nullopt;
    for (std::size_t i = 4; i < chars.size(); ++i)
        parsed.text += chars[i] == "_" ? std::string("\r") : chars[i];
    return parsed;
}

void applyLanguageLines(const std::vector<std::string>& lines, StringTable& table) {
    for (const std::string& line : lines)
        if (auto parsed = parseLanguageLine(line))
            table.set(parsed->slot, std::move(parsed->text));
}

int LoadLanguageFile(FileSystem& files, StringTable& table, const std::string& fileName) {
    if (fileName.empty())
        return 1;
    const std::string path = files.resolvePath(fileName);
    if (isHidden(path) || !files.isRegularFile(path))
        return 1;
    const auto lines = files.readTextLines(path);
    if (!lines)
        return 1;
    applyLanguageLines(*lines, table);
    return 0;
}

void LoadLanguage(Registry& registry, FileSystem& files, StringTable& table,
                  const std::function<void(const std::string&)>& showError) {
    if (readCurLang(registry).empty()) {
        showError(kLanguageLoadError);
        saveCurLang(registry, kDefaultLanguage);
    }
    LoadLanguageFile(files, table, fileNameFor(files, readCurLang(registry)));
}

} // namespace kelvora
