#pragma once

#include <cstdint>
#include <map>
#include <string>

#include "platform/ProcessExit.h"

namespace kelvora {

// The kernel's CPU weight of a nice value (nice 0 weighs 1024; each step about 1.25 times the next).
int kernelWeightOfNice(int nice);
// The same share as a cgroup v2 cpu.weight (1 .. 10000, 100 the default) and a v1 cpu.shares (1024 the default).
int cgroupV2WeightOfNice(int nice);
int cgroupV1SharesOfNice(int nice);

// Nice orders threads only inside one cpu cgroup: between applications that systemd gives cpu cgroups of their own
// (app-*.scope with the cpu controller delegated to the user), the group's weight decides. This gives an
// application's own group the weight its class would have as a nice value, where this program may write it, and
// puts back at the end every weight it set that nobody has changed since.
class CpuWeights {
public:
    // `procRoot` as for the processes; `cgroupRoot` where the cgroup file systems are mounted (/sys/fs/cgroup).
    CpuWeights(std::string procRoot, std::string cgroupRoot);
    ~CpuWeights();
    CpuWeights(const CpuWeights&) = delete;
    CpuWeights& operator=(const CpuWeights&) = delete;

    // Gives the cpu cgroup of process `pid` the weight of `nice`, unless it is the root group or this program's own
    // (whose weight would move everything in it alike). False where the group has a weight this program may not
    // write: there neither nice nor a weight reaches the process.
    bool apply(std::uint32_t pid, int nice);

private:
    struct Written {
        std::string original;
        std::string ours;
    };
    // The weight file of the process's cpu cgroup and the value for `nice`; empty when it has none of its own.
    std::pair<std::string, std::string> weightFileOf(const std::string& cgroupText, int nice) const;
    void putBack();

    std::string procRoot_;
    std::string cgroupRoot_;
    std::string ownGroups_; // this program's own /proc/self/cgroup
    std::map<std::string, Written> written_;
    ExitUndo atExit_{[this] { putBack(); }}; // "Exit" skips the destructor
};

} // namespace kelvora
