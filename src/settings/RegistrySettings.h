#pragma once

#include <cstdint>
#include <string>
#include <variant>

#include "platform/Registry.h"

namespace kelvora {

// A value as read from the registry: no data, a text, or a 32-bit integer.
using RegData = std::variant<std::monostate, std::string, std::int32_t>;

// The text form of a value: "" for no data, the decimal digits of an integer.
std::string textOf(const RegData& value);

// BaseKey, AppName and Section joined with single backslashes; '/' then becomes '\' (so "a//b" keeps "a\\b").
std::string JoinKeyPath(const std::string& baseKey, const std::string& appName, const std::string& section);

// The value `valueName` of key BaseKey\AppName\Section below `hive`, or `defaultValue` when it is missing, of an
// unhandled type, or blank (spaces only). The value is returned as stored, not trimmed.
std::string GetRegSetting(Registry& registry, const std::string& appName, const std::string& section,
                          const std::string& valueName, const std::string& defaultValue,
                          std::uint32_t hive = kHkeyCurrentUser, const std::string& baseKey = "SOFTWARE\\Talvek",
                          bool forWrite = false);

// Stores `value` as `valueType` under `valueName`, creating the key and every missing key above it. True only
// when the key was opened and the value written.
bool SaveRegSetting(Registry& registry, const std::string& appName, const std::string& section,
                    const std::string& valueName, const std::string& value, std::uint32_t hive = kHkeyCurrentUser,
                    const std::string& baseKey = "SOFTWARE\\Talvek", std::uint32_t valueType = REG_SZ);

// Reads one value of an open key into `value` and `valueType`. 0 on success, the registry's code when the value
// cannot be queried, -1 for a type that is not handled. REG_BINARY reads as upper-case hex pairs ("0A FF 00").
long ReadValueData(Registry& registry, RegKey key, const std::string& valueName, RegData& value,
                   std::uint32_t& valueType);

// Writes one value of an open key: texts for REG_SZ and REG_EXPAND_SZ (with their terminating NUL), a 32-bit
// integer in machine order for REG_DWORD and REG_DWORD_BIG_ENDIAN. The write's result code; 0 without writing
// for any other type; kErrorInvalidData without writing for a text that is no 32-bit integer.
long WriteValueData(Registry& registry, RegKey key, const std::string& valueName, std::uint32_t valueType,
                    const std::string& value);

} // namespace kelvora
