// Pages and documents opened with ShellExecuteW, the computer's name, the beep.

#include <cwctype>

#include "platform/Shell.h"
#include "platform/windows/WideText.h"

// After the program's own headers: their Win32-named constants come before the macros of the same names.
#include <windows.h>
#include <shellapi.h>
#undef GetComputerName

namespace kelvora {
namespace {

bool startsWithIgnoreCase(const std::wstring& text, const std::wstring& prefix) {
    if (text.size() < prefix.size())
        return false;
    for (std::size_t i = 0; i < prefix.size(); ++i)
        if (std::towlower(text[i]) != std::towlower(prefix[i]))
            return false;
    return true;
}

// The full path of an existing file, with "." and ".." resolved; empty when there is none.
std::wstring fullPathOf(const std::wstring& path) {
    const DWORD needed = GetFullPathNameW(path.c_str(), 0, nullptr, nullptr);
    if (needed == 0)
        return {};
    std::wstring full(needed, L'\0');
    const DWORD length = GetFullPathNameW(path.c_str(), needed, full.data(), nullptr);
    if (length == 0 || length >= needed)
        return {};
    full.resize(length);
    const DWORD attributes = GetFileAttributesW(full.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES || (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0)
        return {};
    return full;
}

// Only web addresses and the program's own documents are handed to the shell: anything else (another scheme, an
// executable elsewhere) would run whatever a tampered language file or table names.
bool mayOpen(const std::wstring& target) {
    if (startsWithIgnoreCase(target, L"http://") || startsWithIgnoreCase(target, L"https://"))
        return target.find_first_of(L"\"\r\n") == std::wstring::npos;
    const std::wstring full = fullPathOf(target);
    const std::wstring folder = windows::executableFolder() + L"\\languages\\";
    return !full.empty() && startsWithIgnoreCase(full, folder);
}

class WindowsShell : public Shell {
public:
    std::int32_t ShellOpen(const std::string& target) override {
        const std::wstring wide = windows::toWide(target);
        if (!mayOpen(wide))
            return 0;
        const auto result = reinterpret_cast<INT_PTR>(
            ShellExecuteW(nullptr, L"open", wide.c_str(), nullptr, nullptr, SW_SHOWNORMAL));
        return result > 32 ? static_cast<std::int32_t>(result) : 0;
    }

    std::string GetComputerName() override {
        wchar_t name[MAX_COMPUTERNAME_LENGTH + 1] = {};
        DWORD length = MAX_COMPUTERNAME_LENGTH + 1;
        if (!GetComputerNameW(name, &length))
            return {};
        return windows::toUtf8(std::wstring_view(name, length));
    }
};

} // namespace

std::unique_ptr<Shell> createShell() {
    return std::make_unique<WindowsShell>();
}

} // namespace kelvora
