#include "platform/Meminfo.h"
#include "platform/TextLines.h"

#include <algorithm>
#include <charconv>
#include <limits>

namespace kelvora {
namespace {

// The value of one "Name:   1234 kB" line, in bytes.
std::optional<std::uint64_t> parseField(std::string_view line) {
    std::size_t pos = line.find_first_not_of(' ');
    if (pos == std::string_view::npos)
        return std::nullopt;
    std::uint64_t value = 0;
    const char* begin = line.data() + pos;
    const char* end = line.data() + line.size();
    auto [next, ec] = std::from_chars(begin, end, value);
    if (ec != std::errc{})
        return std::nullopt;
    std::string_view unit(next, static_cast<std::size_t>(end - next));
    unit.remove_prefix(std::min(unit.find_first_not_of(' '), unit.size()));
    if (unit.starts_with("kB")) {
        if (value > std::numeric_limits<std::uint64_t>::max() / 1024)
            return std::nullopt;
        value *= 1024;
    }
    return value;
}

} // namespace

std::optional<PhysicalMemory> parseMeminfo(std::string_view text) {
    std::optional<std::uint64_t> total, avail, swapFree;
    while (!text.empty()) {
        std::size_t eol = text.find('\n');
        std::string_view line = text.substr(0, eol);
        text.remove_prefix(eol == std::string_view::npos ? text.size() : eol + 1);
        std::size_t colon = line.find(':');
        if (colon == std::string_view::npos)
            continue;
        std::string_view name = line.substr(0, colon);
        std::string_view rest = line.substr(colon + 1);
        if (name == "MemTotal")
            total = parseField(rest);
        else if (name == "MemAvailable")
            avail = parseField(rest);
        else if (name == "SwapFree")
            swapFree = parseField(rest);
    }
    if (!total || !avail)
        return std::nullopt;
    return PhysicalMemory{*total, *avail, swapFree.value_or(0)};
}

std::optional<PhysicalMemory> readMeminfoFile(const std::string& path) {
    const std::optional<std::string> text = readWholeFile(path);
    if (!text)
        return std::nullopt;
    return parseMeminfo(*text);
}

} // namespace kelvora
