// The real registry through the wide calls. Text values travel as UTF-8 inside the program and are stored as
// UTF-16, so sizes the caller sees are those of the UTF-8 form; the registry itself writes each value atomically.

#include <cstring>
#include <map>
#include <mutex>

#include "platform/Registry.h"
#include "platform/windows/WideText.h"

// After the program's own headers: their Win32-named constants come before the macros of the same names.
#include <windows.h>

namespace kelvora {
namespace {

bool isText(DWORD type) {
    return type == REG_SZ || type == REG_EXPAND_SZ;
}

// The UTF-8 form of UTF-16 registry data, NUL terminator included when the data has one.
std::vector<std::uint8_t> utf8Data(const std::vector<std::uint8_t>& wideBytes) {
    std::wstring wide(wideBytes.size() / sizeof(wchar_t), L'\0');
    std::memcpy(wide.data(), wideBytes.data(), wide.size() * sizeof(wchar_t));
    const std::string text = windows::toUtf8(wide);
    return {text.begin(), text.end()};
}

std::vector<std::uint8_t> wideData(const std::vector<std::uint8_t>& utf8Bytes) {
    const std::wstring wide = windows::toWide(std::string_view(reinterpret_cast<const char*>(utf8Bytes.data()),
                                                               utf8Bytes.size()));
    std::vector<std::uint8_t> bytes(wide.size() * sizeof(wchar_t));
    std::memcpy(bytes.data(), wide.data(), bytes.size());
    return bytes;
}

class WindowsRegistry : public Registry {
public:
    ~WindowsRegistry() override {
        for (const auto& [key, handle] : open_)
            RegCloseKey(handle);
    }

    long OpenKey(std::uint32_t hive, const std::string& path, std::uint32_t access, RegKey& key) override {
        key = kNullKey;
        HKEY parent = nullptr;
        if (!handleOf(hive, parent))
            return kErrorInvalidHandle;
        HKEY opened = nullptr;
        const LONG result = RegOpenKeyExW(parent, windows::toWide(path).c_str(), 0, access, &opened);
        if (result == ERROR_SUCCESS)
            key = remember(opened);
        return result;
    }

    long CreateKey(std::uint32_t hive, const std::string& path, std::uint32_t access, RegKey& key) override {
        key = kNullKey;
        HKEY parent = nullptr;
        if (!handleOf(hive, parent))
            return kErrorInvalidHandle;
        HKEY created = nullptr;
        const LONG result = RegCreateKeyExW(parent, windows::toWide(path).c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE,
                                           access, nullptr, &created, nullptr);
        if (result == ERROR_SUCCESS)
            key = remember(created);
        return result;
    }

    long QueryValue(RegKey key, const std::string& name, std::uint32_t& type, std::uint32_t& size,
                    std::vector<std::uint8_t>* data) override {
        HKEY handle = nullptr;
        if (key == kNullKey || !handleOf(key, handle))
            return kErrorInvalidHandle;
        DWORD storedType = 0;
        std::vector<std::uint8_t> stored;
        if (const LONG failed = readValue(handle, windows::toWide(name), storedType, stored); failed != ERROR_SUCCESS)
            return failed;
        if (isText(storedType))
            stored = utf8Data(stored);
        type = storedType;
        const auto storedSize = static_cast<std::uint32_t>(stored.size());
        if (data != nullptr) {
            if (storedSize > size) {
                size = storedSize;
                return kErrorMoreData;
            }
            *data = std::move(stored);
        }
        size = storedSize;
        return kErrorSuccess;
    }

    long SetValue(RegKey key, const std::string& name, std::uint32_t type,
                  const std::vector<std::uint8_t>& data) override {
        HKEY handle = nullptr;
        if (key == kNullKey || !handleOf(key, handle))
            return kErrorInvalidHandle;
        const std::vector<std::uint8_t> bytes = isText(type) ? wideData(data) : data;
        return RegSetValueExW(handle, windows::toWide(name).c_str(), 0, type, bytes.data(),
                              static_cast<DWORD>(bytes.size()));
    }

    long CloseKey(RegKey key) override {
        std::lock_guard lock(mutex_);
        const auto found = open_.find(key);
        if (found == open_.end())
            return kErrorInvalidHandle;
        const LONG result = RegCloseKey(found->second);
        open_.erase(found);
        return result;
    }

private:
    // The whole value; the loop covers a value that grows between asking its size and reading it.
    static LONG readValue(HKEY handle, const std::wstring& name, DWORD& type, std::vector<std::uint8_t>& bytes) {
        DWORD size = 0;
        LONG result = RegQueryValueExW(handle, name.c_str(), nullptr, &type, nullptr, &size);
        while (result == ERROR_SUCCESS || result == ERROR_MORE_DATA) {
            bytes.resize(size);
            result = RegQueryValueExW(handle, name.c_str(), nullptr, &type, bytes.data(), &size);
            if (result == ERROR_SUCCESS) {
                bytes.resize(size);
                return result;
            }
        }
        return result;
    }

    // A predefined hive (HKEY_CURRENT_USER and its kin) or a key this registry opened.
    bool handleOf(std::uint32_t key, HKEY& handle) {
        if (key >= 0x80000000u && key <= 0x80000006u) {
            // The predefined keys are numbers by definition. NOLINTNEXTLINE(performance-no-int-to-ptr)
            handle = reinterpret_cast<HKEY>(static_cast<ULONG_PTR>(static_cast<LONG>(key)));
            return true;
        }
        std::lock_guard lock(mutex_);
        const auto found = open_.find(key);
        if (found == open_.end())
            return false;
        handle = found->second;
        return true;
    }

    RegKey remember(HKEY handle) {
        std::lock_guard lock(mutex_);
        const RegKey key = next_++;
        open_[key] = handle;
        return key;
    }

    std::mutex mutex_;
    std::map<RegKey, HKEY> open_;
    RegKey next_ = 1;
};

} // namespace

std::unique_ptr<Registry> createRegistry() {
    return std::make_unique<WindowsRegistry>();
}

} // namespace kelvora
