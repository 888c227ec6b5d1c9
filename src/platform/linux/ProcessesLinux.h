#pragma once

#include <sys/types.h>

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "platform/Processes.h"

namespace kelvora {

// The class a thread's scheduling reads as: real-time policies, idle policy or nice 15+, then bands of nice.
std::uint32_t priorityClassFromScheduling(int policy, int nice);
// The nice value a class is set as; the scheduling policy is left alone.
int niceForPriorityClass(std::uint32_t priorityClass);

// Who this program is, as far as changing another process's priority goes.
struct ProcessCredentials {
    uid_t effectiveUid = 0;
    bool canRaisePriority = false; // CAP_SYS_NICE in the effective set
    // The lowest nice it may give a session group: -20 with the capability, else from its own RLIMIT_NICE.
    // A thread's nice is judged against the thread's own process's limit instead.
    int lowestNice = 20;
};

// Reads this program's own effective uid and capabilities.
ProcessCredentials currentProcessCredentials();

struct LinuxProcessesOptions {
    std::string procRoot = "/proc";
    ProcessCredentials credentials = currentProcessCredentials();
    // Sets one thread's nice; true on success. Replaced in tests that walk a fixture /proc.
    std::function<bool(pid_t tid, int nice)> setThreadNice;
    // Sets a session group's nice through one of its processes; 0 or the errno (EAGAIN: not now, try later).
    std::function<int(std::uint32_t pid, int nice)> setGroupNice;
    // Where the cgroup file systems are mounted: an application's own cpu cgroup gets the weight of its class.
    std::string cgroupRoot = "/sys/fs/cgroup";
    // The display server and compositor processes; empty means asking the peers of our display sockets.
    std::function<std::vector<std::uint32_t>()> displayServers;
};

// The processes at the other end of the X display ($DISPLAY) and the Wayland display ($WAYLAND_DISPLAY), as the
// kernel names them; only those in our PID namespace.
std::vector<std::uint32_t> displaySocketPeers();

// The /proc backend; an empty setThreadNice means setpriority(2), an empty setGroupNice a write to
// procRoot/PID/autogroup.
std::unique_ptr<Processes> createLinuxProcesses(LinuxProcessesOptions options);

} // namespace kelvora
