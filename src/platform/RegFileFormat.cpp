#include "platform/RegFileFormat.h"

#include <cstdint>
#include <cstdio>
#include <cstring>
#include <optional>
#include <vector>

#include "platform/TextLines.h"

namespace kelvora {

namespace {

constexpr std::string_view kHeader = "REGEDIT4";
constexpr std::uint32_t kTypeString = 1;
constexpr std::uint32_t kTypeBinary = 3;
constexpr std::uint32_t kTypeDword = 4;

// ---- writing ----

std::string quoted(const std::string& text) {
    std::string out = "\"";
    for (char c : text) {
        if (c == '\\' || c == '"')
            out += '\\';
        out += c;
    }
    return out + "\"";
}

bool isPlainString(const std::vector<std::uint8_t>& data) {
    if (data.empty() || data.back() != 0)
        return false;
    const std::string text(data.begin(), data.end() - 1);
    for (unsigned char c : text)
        if (c < 0x20 || c == 0x7F)
            return false;
    return sanitizeUtf8(text) == text;
}

std::string hexList(const std::vector<std::uint8_t>& data) {
    std::string out;
    char pair[4];
    for (std::size_t i = 0; i < data.size(); ++i) {
        std::snprintf(pair, sizeof pair, "%02x", data[i]);
        if (i != 0)
            out += ',';
        out += pair;
    }
    return out;
}

std::string valueData(const RegistryValue& value) {
    if (value.type == kTypeString && isPlainString(value.data))
        return quoted(std::string(value.data.begin(), value.data.end() - 1));
    char prefix[32];
    if (value.type == kTypeDword && value.data.size() == 4) {
        std::uint32_t number = 0;
        std::memcpy(&number, value.data.data(), 4);
        std::snprintf(prefix, sizeof prefix, "dword:%08x", number);
        return prefix;
    }
    if (value.type == kTypeBinary)
        return "hex:" + hexList(value.data);
    std::snprintf(prefix, sizeof prefix, "hex(%x):", value.type);
    return prefix + hexList(value.data);
}

// ---- reading ----

std::optional<std::size_t> parseQuoted(std::string_view line, std::size_t pos, std::string& text) {
    if (pos >= line.size() || line[pos] != '"')
        return std::nullopt;
    text.clear();
    for (++pos; pos < line.size(); ++pos) {
        const char c = line[pos];
        if (c == '"')
            return pos + 1;
        if (c == '\\') {
            if (pos + 1 >= line.size() || (line[pos + 1] != '\\' && line[pos + 1] != '"'))
                return std::nullopt;
            ++pos;
        }
        text += line[pos];
    }
    return std::nullopt;
}

int hexDigit(char c) {
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

std::optional<std::vector<std::uint8_t>> parseHexList(std::string_view list) {
    std::vector<std::uint8_t> bytes;
    std::size_t pos = 0;
    auto skipBlanks = [&] {
        while (pos < list.size() && (list[pos] == ' ' || list[pos] == '\t'))
            ++pos;
    };
    skipBlanks();
    while (pos < list.size()) {
        if (pos + 1 >= list.size() || hexDigit(list[pos]) < 0 || hexDigit(list[pos + 1]) < 0)
            return std::nullopt;
        bytes.push_back(static_cast<std::uint8_t>(hexDigit(list[pos]) * 16 + hexDigit(list[pos + 1])));
        pos += 2;
        skipBlanks();
        if (pos < list.size()) {
            if (list[pos] != ',')
                return std::nullopt;
            ++pos;
            skipBlanks();
        }
    }
    return bytes;
}

std::optional<std::uint32_t> parseHexNumber(std::string_view digits, std::size_t maxDigits) {
    if (digits.empty() || digits.size() > maxDigits)
        return std::nullopt;
    std::uint32_t number = 0;
    for (char c : digits) {
        if (hexDigit(c) < 0)
            return std::nullopt;
        number = number * 16 + static_cast<std::uint32_t>(hexDigit(c));
    }
    return number;
}

std::optional<RegistryValue> parseValueData(std::string_view data) {
    RegistryValue value;
    if (!data.empty() && data.front() == '"') {
        std::string text;
        const auto end = parseQuoted(data, 0, text);
        if (!end || *end != data.size())
            return std::nullopt;
        value.type = kTypeString;
        value.data.assign(text.begin(), text.end());
        value.data.push_back(0);
        return value;
    }
    if (data.rfind("dword:", 0) == 0) {
        const auto number = parseHexNumber(data.substr(6), 8);
        if (!number)
            return std::nullopt;
        value.type = kTypeDword;
        value.data.resize(4);
        std::memcpy(value.data.data(), &*number, 4);
        return value;
    }
    std::string_view list;
    if (data.rfind("hex:", 0) == 0) {
        value.type = kTypeBinary;
        list = data.substr(4);
    } else if (data.rfind("hex(", 0) == 0) {
        const std::size_t close = data.find("):");
        const auto type = close == std::string_view::npos ? std::nullopt : parseHexNumber(data.substr(4, close - 4), 8);
        if (!type)
            return std::nullopt;
        value.type = *type;
        list = data.substr(close + 2);
    } else {
        return std::nullopt;
    }
    auto bytes = parseHexList(list);
    if (!bytes)
        return std::nullopt;
    value.data = std::move(*bytes);
    return value;
}

std::optional<std::string> parseKeyLine(std::string_view line) {
    if (line.size() < 3 || line.front() != '[' || line.back() != ']')
        return std::nullopt;
    const std::string path(line.substr(1, line.size() - 2));
    const std::size_t slash = path.find('\\');
    const std::string hive = path.substr(0, slash);
    if (!isHiveName(hive))
        return std::nullopt;
    if (slash == std::string::npos)
        return hive;
    const auto subKey = normalizeSubKeyPath(path.substr(slash + 1));
    if (!subKey)
        return std::nullopt;
    return childKeyPath(hive, *subKey);
}

std::optional<RegistryValue> parseValueLine(std::string_view line) {
    RegistryValue value;
    std::size_t pos = 0;
    if (line.rfind("@=", 0) == 0) {
        pos = 1;
    } else {
        const auto end = parseQuoted(line, 0, value.name);
        if (!end || *end >= line.size() || line[*end] != '=')
            return std::nullopt;
        pos = *end;
    }
    auto parsed = parseValueData(line.substr(pos + 1));
    if (!parsed)
        return std::nullopt;
    parsed->name = std::move(value.name);
    return parsed;
}

std::vector<std::string> physicalLines(std::string_view text) {
    std::vector<std::string> lines;
    std::size_t start = 0;
    while (start < text.size()) {
        std::size_t end = text.find('\n', start);
        if (end == std::string_view::npos)
            end = text.size();
        std::string line(text.substr(start, end - start));
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        lines.push_back(std::move(line));
        start = end + 1;
    }
    return lines;
}

// True for a value line whose data is a hex list, the only kind that may continue on the next line.
bool isHexValueLine(const std::string& line) {
    std::size_t dataStart = 0;
    if (line.rfind("@=", 0) == 0) {
        dataStart = 2;
    } else {
        std::string name;
        const auto end = parseQuoted(line, 0, name);
        if (!end || *end >= line.size() || line[*end] != '=')
            return false;
        dataStart = *end + 1;
    }
    return line.compare(dataStart, 3, "hex") == 0;
}

std::string trimmedStart(const std::string& line) {
    const std::size_t first = line.find_first_not_of(" \t");
    return first == std::string::npos ? std::string() : line.substr(first);
}

} // namespace

RegFileContents readRegFile(std::string_view text) {
    // Some editors start a UTF-8 file with a byte-order mark; it is no part of the text.
    if (text.starts_with("\xEF\xBB\xBF"))
        text.remove_prefix(3);
    RegFileContents contents;
    const std::string valid = sanitizeUtf8(text);
    contents.clean = valid == text;
    const std::vector<std::string> lines = physicalLines(valid);

    bool headerSeen = false;
    std::optional<std::string> currentKey;
    for (std::size_t i = 0; i < lines.size(); ++i) {
        std::string line = lines[i];
        // Long hex lists continue on the next line after a trailing backslash.
        while (!line.empty() && line.back() == '\\' && i + 1 < lines.size() && isHexValueLine(line))
            line = line.substr(0, line.size() - 1) + trimmedStart(lines[++i]);
        if (line.empty() || line.front() == ';')
            continue;
        if (!headerSeen) {
            headerSeen = true;
            if (line == kHeader)
                continue;
            contents.clean = false;
        }
        if (line.front() == '[') {
            currentKey = parseKeyLine(line);
            if (currentKey)
                contents.tree.createKey(*currentKey);
            else
                contents.clean = false;
            continue;
        }
        auto value = currentKey ? parseValueLine(line) : std::nullopt;
        if (value)
            contents.tree.setValue(*currentKey, std::move(*value));
        else
            contents.clean = false;
    }
    return contents;
}

std::string writeRegFile(const RegistryTree& tree) {
    std::string text = std::string(kHeader) + "\n";
    for (const auto& [folded, key] : tree.keys()) {
        text += "\n[" + key.path + "]\n";
        for (const RegistryValue& value : key.values)
            text += (value.name.empty() ? std::string("@") : quoted(value.name)) + "=" + valueData(value) + "\n";
    }
    return text;
}

} // namespace kelvora
