#pragma once

#include <functional>
#include <map>
#include <optional>

#include "platform/Registry.h"
#include "platform/RegistryTree.h"

namespace kelvora {

// The registry operations over a store that is read afresh on every call: key handles name paths, so they stay
// valid while open and every call sees what other processes wrote in the meantime.
class TreeRegistry : public Registry {
public:
    long OpenKey(std::uint32_t hive, const std::string& path, std::uint32_t access, RegKey& key) override;
    long CreateKey(std::uint32_t hive, const std::string& path, std::uint32_t access, RegKey& key) override;
    long QueryValue(RegKey key, const std::string& name, std::uint32_t& type, std::uint32_t& size,
                    std::vector<std::uint8_t>* data) override;
    long SetValue(RegKey key, const std::string& name, std::uint32_t type,
                  const std::vector<std::uint8_t>& data) override;
    long CloseKey(RegKey key) override;

    std::size_t openKeyCount() const { return open_.size(); }

protected:
    // The store's current contents.
    virtual RegistryTree load() = 0;
    // Applies `change` to the current contents under the store's lock and saves them when `change` returns true;
    // kErrorSuccess or the code of the failure.
    virtual long update(const std::function<bool(RegistryTree&)>& change) = 0;

private:
    // The full path of an open key or a predefined hive; nothing for a null or unknown handle.
    std::optional<std::string> keyPath(RegKey key) const;
    // The full path `subKey` names below `parent`, or the result code that refuses it.
    long fullPath(std::uint32_t parent, const std::string& subKey, std::string& path) const;
    RegKey addHandle(const std::string& path);

    std::map<RegKey, std::string> open_;
    RegKey next_ = 1;
};

} // namespace kelvora
