#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/Meminfo.h"
#include "platform/MemoryInfo.h"

namespace kelvora {

// Free swap of a /proc/swaps text in bytes, counting only swap that is not held in RAM (zram, RAM disks).
std::uint64_t parseDiskSwapFree(std::string_view text);
// The "some" line of a /proc/pressure/memory text; nothing when it is missing or broken.
std::optional<MemoryPressure> parseMemoryPressure(std::string_view text);
// A small file's whole contents in one buffer; nothing when it cannot be read or is over 1 MiB.
std::optional<std::string> readSmallFile(const std::string& path);
// The tightest memory limit of the process's cgroups (v1 memory controller and v2) and their ancestors, read through
// <procRoot>/self/cgroup and <procRoot>/self/mountinfo; mount points are taken below `fsRoot`.
std::optional<MemoryLimit> readCgroupMemoryLimit(const std::string& procRoot, const std::string& fsRoot);
// The cgroup directories whose limits bind the process, deepest first, per hierarchy (empty where it has none).
struct CgroupLevels {
    std::vector<std::string> v1;
    std::vector<std::string> v2;
};
std::optional<CgroupLevels> findCgroupLevels(const std::string& procRoot, const std::string& fsRoot);
// The level of `levels` with the least room left, its limit and use read now.
std::optional<MemoryLimit> readCgroupLimits(const CgroupLevels& levels);

// Reads <procRoot>/meminfo with one open, one read and one close per sample, and the rest from the same /proc tree.
class MemoryInfoLinux : public MemoryInfo {
public:
    // `fsRoot` prefixes the mount points of cgroup file systems (fixture trees in tests).
    explicit MemoryInfoLinux(const std::string& procRoot = "/proc", std::string fsRoot = "");
    // Reads the figures from `path` itself instead of a /proc tree; the rest still comes from /proc.
    static MemoryInfoLinux fromMeminfoFile(std::string path);

    std::optional<PhysicalMemory> GlobalMemoryStatus() override;
    std::optional<MemoryLimit> ownMemoryLimit() override;
    std::optional<MemoryPressure> memoryPressure() override;
    std::optional<int> oomScoreAdjust() override;
    bool setOomScoreAdjust(int value) override;
    const std::string& meminfoPath() const { return path_; }

private:
    struct FilePath {};
    MemoryInfoLinux(FilePath, std::string path) : path_(std::move(path)), procRoot_("/proc"), meminfoSwap_(true) {}
    std::string path_;
    std::string procRoot_;
    std::string fsRoot_;
    bool meminfoSwap_ = false; // a meminfo fixture's SwapFree stands for the disk swap
    // Where the limits are read, found again after a second: a release rereads them every few blocks.
    std::optional<CgroupLevels> levels_;
    std::uint64_t levelsFoundAtMs_ = 0;
};

// CLOCK_BOOTTIME in milliseconds, truncated to 32 bits so it wraps like the system tick count. Unlike
// CLOCK_MONOTONIC it counts the time the machine was suspended, so a timed release is not late after a sleep.
class BootTickClock : public TickClock {
public:
    std::uint32_t GetTickCount() override;
};

// Each block is one 2 MiB-aligned mapping advised for transparent huge pages, so the kernel fills it a page at a time.
class HugePageBlockAllocator : public BlockAllocator {
public:
    static constexpr std::size_t kMappingBytes = 2u * 1024u * 1024u;
    char16_t* claimBlock() override;
    void freeBlock(char16_t* block) override;
};

} // namespace kelvora
