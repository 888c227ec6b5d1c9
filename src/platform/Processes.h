#pragma once

#include <cstdint>
#include <memory>
#include <optional>
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

// Access rights asked for when opening a process (Win32 values).
enum ProcessAccess : std::uint32_t {
    PROCESS_VM_READ = 0x10,
    PROCESS_SET_INFORMATION = 0x200,
    PROCESS_QUERY_INFORMATION = 0x400,
};

// The 98/Me family and the NT family, as the system reports itself.
constexpr int VER_PLATFORM_WIN32_WINDOWS = 1;
constexpr int VER_PLATFORM_WIN32_NT = 2;

// One opened process; closing it is destroying it.
class ProcessHandle {
public:
    virtual ~ProcessHandle() = default;

    // The executable's full path, or nothing when it cannot be read.
    virtual std::optional<std::string> ExecutablePath() = 0;
    // One of the six class values: the one in force, also right after SetPriorityClass through this handle.
    virtual std::uint32_t GetPriorityClass() = 0;
    // False when the class could not be set (nothing else is reported).
    virtual bool SetPriorityClass(std::uint32_t priorityClass) = 0;
    // Whether a thread of the process runs under a real-time policy (audio servers, given it by rtkit).
    virtual bool HasRealtimeThread() { return false; }
};

// Running processes and their priority classes.
class Processes {
public:
    virtual ~Processes() = default;

    // 1 for the 98/Me family, 2 for the NT family.
    virtual int GetPlatformId() = 0;

    // NT family: the identifiers of the running processes, in the order the system reports them.
    virtual std::vector<std::uint32_t> EnumProcesses() = 0;
    // NT family: the process opened with `access`, or null when it cannot be opened.
    virtual std::unique_ptr<ProcessHandle> OpenProcess(std::uint32_t access, std::uint32_t processId) = 0;

    // 98/Me family: each process's executable file field (260 characters, NUL-padded) in snapshot order,
    // or nothing when no snapshot can be taken.
    virtual std::optional<std::vector<std::string>> ProcessSnapshot() = 0;

    // The processes that draw every window: the display server or compositor this program is connected to.
    virtual std::vector<std::uint32_t> DisplayServers() { return {}; }

    // Applies the changes the system takes only at a limited rate, which SetPriorityClass held back: the one
    // asked for last first; what is refused for now stays for the next call. Nothing to do on most systems.
    virtual void ApplyHeldChanges() {}
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
