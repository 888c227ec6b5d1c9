#include "settings/RegistrySettings.h"

#include <charconv>
#include <cstdio>
#include <cstring>
#include <optional>
#include <vector>

namespace kelvora {

namespace {

void appendPart(std::string& path, const std::string& part) {
    if (part.empty())
        return;
    if (!path.empty())
        path += '\\';
    path += part;
}

bool isBlank(const std::string& text) {
    return text.find_first_not_of(' ') == std::string::npos;
}

// A text as a 32-bit integer: optional spaces and sign, decimal digits, nothing else.
std::optional<std::int32_t> toInt32(const std::string& text) {
    const std::size_t first = text.find_first_not_of(' ');
    const std::size_t last = text.find_last_not_of(' ');
    if (first == std::string::npos)
        return std::nullopt;
    const char* begin = text.data() + first;
    const char* end = text.data() + last + 1;
    if (*begin == '+')
        ++begin;
    std::int32_t number = 0;
    const auto [stop, error] = std::from_chars(begin, end, number);
    if (error != std::errc() || stop != end)
        return std::nullopt;
    return number;
}

std::string hexPairs(const std::vector<std::uint8_t>& bytes) {
    std::string text;
    char pair[3];
    for (std::uint8_t byte : bytes) {
        std::snprintf(pair, sizeof pair, "%02X", byte);
        if (!text.empty())
            text += ' ';
        text += pair;
    }
    return text;
}

} // namespace

std::string textOf(const RegData& value) {
    if (const auto* text = std::get_if<std::string>(&value))
        return *text;
    if (const auto* number = std::get_if<std::int32_t>(&value))
        return std::to_string(*number);
    return {};
}

std::string JoinKeyPath(const std::string& baseKey, const std::string& appName, const std::string& section) {
    std::string path = baseKey;
    appendPart(path, appName);
    appendPart(path, section);
    for (std::size_t pair = path.find("\\\\"); pair != std::string::npos; pair = path.find("\\\\", pair))
        path.erase(pair, 1);
    for (char& c : path)
        if (c == '/')
            c = '\\';
    return path;
}

long ReadValueData(Registry& registry, RegKey key, const std::string& valueName, RegData& value,
                   std::uint32_t& valueType) {
    value = std::string();
    std::uint32_t type = 0;
    std::uint32_t size = 0;
    if (const long failed = registry.QueryValue(key, valueName, type, size, nullptr); failed != kErrorSuccess)
        return failed;
    valueType = type;

    std::vector<std::uint8_t> data;
    switch (type) {
    case REG_SZ:
    case REG_EXPAND_SZ: {
        const long result = registry.QueryValue(key, valueName, type, size, &data);
        if (result != kErrorSuccess) {
            value = std::monostate();
            return result;
        }
        // The text ends at its terminating NUL; data stored without one keeps its last character.
        std::string text(data.begin(), data.end());
        text.resize(std::strlen(text.c_str()));
        value = std::move(text);
        return result;
    }
    case REG_DWORD:
    case REG_DWORD_BIG_ENDIAN: {
        size = 4;
        const long result = registry.QueryValue(key, valueName, type, size, &data);
        if (result == kErrorSuccess) {
            std::int32_t number = 0;
            std::memcpy(&number, data.data(), data.size() < 4 ? data.size() : 4);
            value = number;
        }
        return result;
    }
    case REG_BINARY: {
        const long result = registry.QueryValue(key, valueName, type, size, &data);
        if (result == kErrorSuccess)
            value = hexPairs(data);
        else
            value = std::monostate();
        return result;
    }
    default:
        return -1;
    }
}

long WriteValueData(Registry& registry, RegKey key, const std::string& valueName, std::uint32_t valueType,
                    const std::string& value) {
    switch (valueType) {
    case REG_SZ:
    case REG_EXPAND_SZ: {
        std::vector<std::uint8_t> data(value.begin(), value.end());
        data.push_back(0);
        return registry.SetValue(key, valueName, valueType, data);
    }
    case REG_DWORD:
    case REG_DWORD_BIG_ENDIAN: {
        const auto number = toInt32(value);
        if (!number)
            return kErrorInvalidData;
        std::vector<std::uint8_t> data(4);
        std::memcpy(data.data(), &*number, 4);
        return registry.SetValue(key, valueName, valueType, data);
    }
    default:
        return kErrorSuccess;
    }
}

std::string GetRegSetting(Registry& registry, const std::string& appName, const std::string& section,
                          const std::string& valueName, const std::string& defaultValue, std::uint32_t hive,
                          const std::string& baseKey, bool forWrite) {
    RegKey key = kNullKey;
    registry.OpenKey(hive, JoinKeyPath(baseKey, appName, section), forWrite ? kKeyAllAccess : kKeyRead, key);
    RegData value;
    std::uint32_t type = 0;
    ReadValueData(registry, key, valueName, value, type);
    if (key != kNullKey)
        registry.CloseKey(key);
    const std::string text = textOf(value);
    return isBlank(text) ? defaultValue : text;
}

bool SaveRegSetting(Registry& registry, const std::string& appName, const std::string& section,
                    const std::string& valueName, const std::string& value, std::uint32_t hive,
                    const std::string& baseKey, std::uint32_t valueType) {
    RegKey key = kNullKey;
    if (registry.CreateKey(hive, JoinKeyPath(baseKey, appName, section), kKeyAllAccess, key) != kErrorSuccess)
        return false;
    const long written = WriteValueData(registry, key, valueName, valueType, value);
    registry.CloseKey(key);
    return written == kErrorSuccess;
}

} // namespace kelvora
