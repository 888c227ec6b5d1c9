#pragma once

#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <vector>

namespace kelvora {

struct RegistryValue {
    std::string name; // as first written; "" is the key's default value
    std::uint32_t type = 0;
    std::vector<std::uint8_t> data;
};

// The keys and values of the store in memory. Keys are full paths that start with the hive's name
// ("HKEY_CURRENT_USER\SOFTWARE\Talvek"); key and value names are matched without regard to ASCII case.
class RegistryTree {
public:
    struct Key {
        std::string path; // spelled as first created
        std::vector<RegistryValue> values;
    };

    // True for a hive's root or a key that exists (creating a key creates every key above it).
    bool hasKey(const std::string& fullPath) const;
    // Creates the key and every missing key above it; false when all of them existed already.
    bool createKey(const std::string& fullPath);
    const RegistryValue* findValue(const std::string& fullPath, const std::string& name) const;
    // Stores the value, creating its key when needed.
    void setValue(const std::string& fullPath, RegistryValue value);

    // Keys in the order of their folded paths, so a key always comes right before the keys below it.
    const std::map<std::string, Key>& keys() const { return keys_; }

private:
    std::map<std::string, Key> keys_;
};

// "HKEY_CURRENT_USER" and the other predefined hives by handle; nothing for an unknown handle.
std::optional<std::string> hiveName(std::uint32_t hive);
// The hive root of a full path: the text before its first backslash.
bool isHiveName(const std::string& name);

// A subkey path as the registry functions accept it, without its trailing backslashes; nothing for a path that
// starts with a backslash or holds an empty key name.
std::optional<std::string> normalizeSubKeyPath(const std::string& path);

// The key path joined below `base` ("" below a hive root stays the root).
std::string childKeyPath(const std::string& base, const std::string& subKey);

// Key and value names folded for comparison (ASCII letters only, as the store files hold ASCII key names).
std::string foldName(const std::string& name);

} // namespace kelvora
