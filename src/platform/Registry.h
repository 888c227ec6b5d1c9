#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace kelvora {

// The per-user settings store, with the operations of the Windows registry the settings layer relies on.
using RegKey = std::uint32_t;
constexpr RegKey kNullKey = 0;

constexpr std::uint32_t kHkeyCurrentUser = 0x80000001u;
constexpr std::uint32_t kKeyAllAccess = 0x3F;
constexpr std::uint32_t kKeyRead = 0x20019;

// Result codes of the registry operations, as Windows numbers them.
constexpr long kErrorSuccess = 0;
constexpr long kErrorFileNotFound = 2;
constexpr long kErrorAccessDenied = 5;
constexpr long kErrorInvalidHandle = 6;
constexpr long kErrorInvalidData = 13;
constexpr long kErrorInvalidParameter = 87;
constexpr long kErrorBadPathname = 161;
constexpr long kErrorMoreData = 234;
constexpr long kErrorCantWrite = 1013;

enum RegType : std::uint32_t {
    REG_NONE = 0,
    REG_SZ = 1,
    REG_EXPAND_SZ = 2,
    REG_BINARY = 3,
    REG_DWORD = 4,
    REG_DWORD_BIG_ENDIAN = 5,
};

class Registry {
public:
    virtual ~Registry() = default;

    // Opens an existing key; a failed open leaves `key` null.
    virtual long OpenKey(std::uint32_t hive, const std::string& path, std::uint32_t access, RegKey& key) = 0;
    // Opens or creates the key with every missing key above it.
    virtual long CreateKey(std::uint32_t hive, const std::string& path, std::uint32_t access, RegKey& key) = 0;
    // Without `data` reports type and size in bytes; with it, fills it when `size` (the room the caller offers) is
    // enough, and otherwise reports the size needed with kErrorMoreData. Fails on a null key.
    virtual long QueryValue(RegKey key, const std::string& name, std::uint32_t& type, std::uint32_t& size,
                            std::vector<std::uint8_t>* data) = 0;
    virtual long SetValue(RegKey key, const std::string& name, std::uint32_t type,
                          const std::vector<std::uint8_t>& data) = 0;
    virtual long CloseKey(RegKey key) = 0;
};

std::unique_ptr<Registry> createRegistry();

} // namespace kelvora
