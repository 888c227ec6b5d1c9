// Feeds arbitrary bytes through what loading a language file does: the line splitter, then the line parser into
// a string table. Aborts when a line or a stored text is not valid UTF-8, when splitting is not stable, or when a
// parsed line breaks the slot rules.
#include <cstdint>
#include <cstdlib>
#include <map>
#include <string>
#include <string_view>
#include <vector>

#include "platform/TextLines.h"
#include "settings/Language.h"
#include "settings/StringTable.h"

namespace {

using kelvora::sanitizeUtf8;

void check(bool condition) {
    if (!condition)
        std::abort();
}

bool isValidUtf8(const std::string& text) {
    return sanitizeUtf8(text) == text;
}

// Every line ends at CR, so joining the lines with CR LF (after one byte-order mark, which the splitter drops)
// must give back the same lines.
void checkSplitIsStable(const std::vector<std::string>& lines) {
    std::string joined = "\xEF\xBB\xBF";
    for (const std::string& line : lines)
        joined += line + "\r\n";
    check(kelvora::splitTextLines(joined) == lines);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    const std::vector<std::string> lines = kelvora::splitTextLines(bytes);
    std::map<int, std::string> lastTextOfSlot;
    for (const std::string& line : lines) {
        check(isValidUtf8(line));
        check(line.find('\r') == std::string::npos);
        if (const auto parsed = kelvora::parseLanguageLine(line)) {
            check(parsed->slot >= 0 && parsed->slot < kelvora::StringTable::kSlots);
            check(parsed->text.find('_') == std::string::npos);
            check(isValidUtf8(parsed->text));
            lastTextOfSlot[parsed->slot] = parsed->text;
        }
    }
    checkSplitIsStable(lines);

    // A later line for the same slot wins.
    kelvora::StringTable table;
    kelvora::applyLanguageLines(lines, table);
    for (const auto& [slot, text] : lastTextOfSlot)
        check(table[slot] == text);
    check(table[-1].empty() && table[kelvora::StringTable::kSlots].empty());
    return 0;
}
