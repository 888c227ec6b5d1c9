#include "platform/RegistryTree.h"

#include <algorithm>
#include <array>

namespace kelvora {

namespace {

struct Hive {
    std::uint32_t handle;
    const char* name;
};

constexpr std::array<Hive, 5> kHives{{
    {0x80000000u, "HKEY_CLASSES_ROOT"},
    {0x80000001u, "HKEY_CURRENT_USER"},
    {0x80000002u, "HKEY_LOCAL_MACHINE"},
    {0x80000003u, "HKEY_USERS"},
    {0x80000005u, "HKEY_CURRENT_CONFIG"},
}};

std::vector<std::string> keyPathPrefixes(const std::string& fullPath) {
    std::vector<std::string> prefixes;
    for (std::size_t pos = fullPath.find('\\'); pos != std::string::npos; pos = fullPath.find('\\', pos + 1))
        prefixes.push_back(fullPath.substr(0, pos));
    prefixes.push_back(fullPath);
    return prefixes;
}

} // namespace

std::string foldName(const std::string& name) {
    std::string folded = name;
    std::transform(folded.begin(), folded.end(), folded.begin(),
                   [](char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; });
    return folded;
}

std::optional<std::string> hiveName(std::uint32_t hive) {
    for (const Hive& known : kHives)
        if (known.handle == hive)
            return std::string(known.name);
    return std::nullopt;
}

bool isHiveName(const std::string& name) {
    return std::any_of(kHives.begin(), kHives.end(),
                       [&](const Hive& known) { return foldName(name) == foldName(known.name); });
}

std::optional<std::string> normalizeSubKeyPath(const std::string& path) {
    std::string trimmed = path;
    while (!trimmed.empty() && trimmed.back() == '\\')
        trimmed.pop_back();
    if (trimmed.empty())
        return trimmed;
    if (trimmed.front() == '\\' || trimmed.find("\\\\") != std::string::npos)
        return std::nullopt;
    return trimmed;
}

std::string childKeyPath(const std::string& base, const std::string& subKey) {
    return subKey.empty() ? base : base + "\\" + subKey;
}

bool RegistryTree::hasKey(const std::string& fullPath) const {
    if (fullPath.find('\\') == std::string::npos && isHiveName(fullPath))
        return true;
    return keys_.count(foldName(fullPath)) != 0;
}

bool RegistryTree::createKey(const std::string& fullPath) {
    bool created = false;
    for (const std::string& prefix : keyPathPrefixes(fullPath)) {
        if (prefix.find('\\') == std::string::npos && isHiveName(prefix))
            continue;
        const auto [entry, inserted] = keys_.try_emplace(foldName(prefix), Key{prefix, {}});
        created = created || inserted;
    }
    return created;
}

const RegistryValue* RegistryTree::findValue(const std::string& fullPath, const std::string& name) const {
    const auto key = keys_.find(foldName(fullPath));
    if (key == keys_.end())
        return nullptr;
    const std::string folded = foldName(name);
    for (const RegistryValue& value : key->second.values)
        if (foldName(value.name) == folded)
            return &value;
    return nullptr;
}

void RegistryTree::setValue(const std::string& fullPath, RegistryValue value) {
    createKey(fullPath);
    // A hive's root holds values too; it is kept as a key of its own.
    Key& key = keys_.try_emplace(foldName(fullPath), Key{fullPath, {}}).first->second;
    const std::string folded = foldName(value.name);
    for (RegistryValue& existing : key.values) {
        if (foldName(existing.name) == folded) {
            existing.type = value.type;
            existing.data = std::move(value.data);
            return;
        }
    }
    key.values.push_back(std::move(value));
}

} // namespace kelvora
