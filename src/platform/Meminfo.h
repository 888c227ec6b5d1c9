#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "platform/MemoryInfo.h"

namespace kelvora {

// MemTotal, MemAvailable and SwapFree of a meminfo text (kB of 1024 bytes); nothing when the first two are missing.
std::optional<PhysicalMemory> parseMeminfo(std::string_view text);
// The figures of a meminfo file (a fixture standing for the machine's own figures); nothing when it is unreadable.
std::optional<PhysicalMemory> readMeminfoFile(const std::string& path);

} // namespace kelvora
