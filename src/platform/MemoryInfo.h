#pragma once

#include <cstdint>
#include <memory>
#include <optional>

namespace kelvora {

struct PhysicalMemory {
    std::uint64_t totalBytes = 0;
    std::uint64_t availBytes = 0;
};

// Physical memory figures of the machine.
class MemoryInfo {
public:
    virtual ~MemoryInfo() = default;

    // Total and currently available physical memory, or nothing when they cannot be read.
    virtual std::optional<PhysicalMemory> GlobalMemoryStatus() = 0;
};

// Milliseconds since the system started, as a wrapping 32-bit count.
class TickClock {
public:
    virtual ~TickClock() = default;
    virtual std::uint32_t GetTickCount() = 0;
};

std::unique_ptr<MemoryInfo> createMemoryInfo();
std::unique_ptr<TickClock> createTickClock();

} // namespace kelvora
