#include "platform/TreeRegistry.h"

#include <algorithm>

namespace kelvora {

namespace {

// Names with control characters could not be written back as one line of the store.
bool hasControlCharacters(const std::string& text) {
    return std::any_of(text.begin(), text.end(), [](char c) { return static_cast<unsigned char>(c) < 0x20; });
}

} // namespace

std::optional<std::string> TreeRegistry::keyPath(RegKey key) const {
    if (key == kNullKey)
        return std::nullopt;
    if (auto hive = hiveName(key))
        return hive;
    const auto found = open_.find(key);
    if (found == open_.end())
        return std::nullopt;
    return found->second;
}

long TreeRegistry::fullPath(std::uint32_t parent, const std::string& subKey, std::string& path) const {
    const auto base = keyPath(parent);
    if (!base)
        return kErrorInvalidHandle;
    const auto normalized = normalizeSubKeyPath(subKey);
    if (!normalized || hasControlCharacters(*normalized))
        return kErrorBadPathname;
    path = childKeyPath(*base, *normalized);
    return kErrorSuccess;
}

RegKey TreeRegistry::addHandle(const std::string& path) {
    // Handles stay below the predefined hives' values and never reuse one still open.
    while (next_ == kNullKey || next_ >= 0x80000000u || open_.count(next_) != 0)
        next_ = next_ >= 0x80000000u ? 1 : next_ + 1;
    const RegKey key = next_++;
    open_.emplace(key, path);
    return key;
}

long TreeRegistry::OpenKey(std::uint32_t hive, const std::string& path, std::uint32_t, RegKey& key) {
    key = kNullKey;
    std::string full;
    if (const long refused = fullPath(hive, path, full); refused != kErrorSuccess)
        return refused;
    if (!load().hasKey(full))
        return kErrorFileNotFound;
    key = addHandle(full);
    return kErrorSuccess;
}

long TreeRegistry::CreateKey(std::uint32_t hive, const std::string& path, std::uint32_t, RegKey& key) {
    key = kNullKey;
    std::string full;
    if (const long refused = fullPath(hive, path, full); refused != kErrorSuccess)
        return refused;
    if (const long failed = update([&](RegistryTree& tree) { return tree.createKey(full); }); failed != kErrorSuccess)
        return failed;
    key = addHandle(full);
    return kErrorSuccess;
}

long TreeRegistry::QueryValue(RegKey key, const std::string& name, std::uint32_t& type, std::uint32_t& size,
                              std::vector<std::uint8_t>* data) {
    const auto path = keyPath(key);
    if (!path)
        return kErrorInvalidHandle;
    const RegistryTree tree = load();
    const RegistryValue* value = tree.findValue(*path, name);
    if (value == nullptr)
        return kErrorFileNotFound;
    type = value->type;
    const auto stored = static_cast<std::uint32_t>(value->data.size());
    if (data != nullptr) {
        if (stored > size) {
            size = stored;
            return kErrorMoreData;
        }
        *data = value->data;
    }
    size = stored;
    return kErrorSuccess;
}

long TreeRegistry::SetValue(RegKey key, const std::string& name, std::uint32_t type,
                            const std::vector<std::uint8_t>& data) {
    const auto path = keyPath(key);
    if (!path)
        return kErrorInvalidHandle;
    if (hasControlCharacters(name))
        return kErrorInvalidParameter;
    return update([&](RegistryTree& tree) {
        tree.setValue(*path, RegistryValue{name, type, data});
        return true;
    });
}

long TreeRegistry::CloseKey(RegKey key) {
    if (hiveName(key))
        return kErrorSuccess;
    return open_.erase(key) != 0 ? kErrorSuccess : kErrorInvalidHandle;
}

} // namespace kelvora
