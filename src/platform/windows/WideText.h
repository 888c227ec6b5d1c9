#pragma once

#include <string>
#include <string_view>

namespace kelvora::windows {

// UTF-8 inside the program, UTF-16 at the Win32 boundary. Invalid input becomes U+FFFD rather than failing.
std::wstring toWide(std::string_view utf8);
std::string toUtf8(std::wstring_view wide);

// The folder that holds this executable (GetModuleFileNameW), without a trailing separator.
std::wstring executableFolder();

} // namespace kelvora::windows
