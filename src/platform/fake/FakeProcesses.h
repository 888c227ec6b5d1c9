#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/Processes.h"

namespace kelvora::fake {

// One process as a test describes it.
struct FakeProcess {
    std::uint32_t pid = 0;
    std::optional<std::string> path; // nothing: the executable's path cannot be read
    std::uint32_t priorityClass = NORMAL_PRIORITY_CLASS;
    bool canOpenForSweep = true;     // query, set and read rights together
    bool canOpenForSet = true;       // set rights alone
    bool refusesClassChange = false; // opens, but setting the class fails
};

// Processes a test sets directly; records every class change.
class FakeProcesses : public Processes {
public:
    int platformId = VER_PLATFORM_WIN32_NT;
    std::vector<FakeProcess> processes;
    // 98/Me family: the executable fields of the snapshot; nothing when no snapshot can be taken.
    std::optional<std::vector<std::string>> snapshot;

    struct ClassChange {
        std::uint32_t pid;
        std::uint32_t priorityClass;
    };
    std::vector<ClassChange> changes;
    int walks = 0;       // EnumProcesses calls
    int snapshots = 0;   // ProcessSnapshot calls
    int openHandles = 0; // handles not yet closed

    FakeProcess& add(std::uint32_t pid, std::optional<std::string> path,
                     std::uint32_t priorityClass = NORMAL_PRIORITY_CLASS);
    FakeProcess* find(std::uint32_t pid);
    // The class last set for `pid`, or nothing when none was set.
    std::optional<std::uint32_t> lastSet(std::uint32_t pid) const;

    int GetPlatformId() override { return platformId; }
    std::vector<std::uint32_t> EnumProcesses() override;
    std::unique_ptr<ProcessHandle> OpenProcess(std::uint32_t access, std::uint32_t processId) override;
    std::optional<std::vector<std::string>> ProcessSnapshot() override;
};

// A foreground window and window owners a test sets directly.
class FakeForegroundWindows : public ForegroundWindows {
public:
    std::uint64_t foreground = 0;
    std::map<std::uint64_t, std::uint32_t> owners; // window -> process id
    int reads = 0;

    std::uint64_t GetForegroundWindow() override {
        ++reads;
        return foreground;
    }
    std::uint32_t GetWindowThreadProcessId(std::uint64_t window) override {
        auto owner = owners.find(window);
        return owner == owners.end() ? 0 : owner->second;
    }
};

} // namespace kelvora::fake
