#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace kelvora {

// Win32 priority class values, used as the program's own names for scheduling classes.
enum PriorityClass : std::uint32_t {
    IDLE_PRIORITY_CLASS = 0x40,
    BELOW_NORMAL_PRIORITY_CLASS = 0x4000,
    NORMAL_PRIORITY_CLASS = 0x20,
    ABOVE_NORMAL_PRIORITY_CLASS = 0x8000,
    HIGH_PRIORITY_CLASS = 0x80,
    REALTIME_PRIORITY_CLASS = 0x100,
};

// Running processes and their priority classes.
class Processes {
public:
    virtual ~Processes() = default;

    // 1 for the 98/Me family, 2 for the NT family.
    virtual int GetPlatformId() = 0;
};

// The foreground window and the process that owns it.
class ForegroundWindows {
public:
    virtual ~ForegroundWindows() = default;

    // The current foreground window, or 0 when there is none.
    virtual std::uint64_t GetForegroundWindow() = 0;
    // The process that created `window`, or 0.
    virtual std::uint32_t GetWindowThreadProcessId(std::uint64_t window) = 0;
};

std::unique_ptr<Processes> createProcesses();
std::unique_ptr<ForegroundWindows> createForegroundWindows();

} // namespace kelvora
