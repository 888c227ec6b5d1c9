#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>

namespace kelvora {

struct PhysicalMemory {
    std::uint64_t totalBytes = 0;
    std::uint64_t availBytes = 0;
    // Free swap on disk; together with availBytes it is what can still be claimed without waking the OOM killer.
    // Swap held in RAM (zram) is not counted: it spends the memory it frees.
    std::uint64_t swapFreeBytes = 0;
};

// The memory limit of this process's own group (a container or a service slice) and what the group uses now.
struct MemoryLimit {
    std::uint64_t limitBytes = 0;
    std::uint64_t usedBytes = 0;
};

// How much tasks stall waiting for memory.
struct MemoryPressure {
    double someAvg10 = 0;          // per cent of the last ten seconds in which some task waited for memory
    std::uint64_t someTotalUs = 0; // all such waiting since boot
    std::uint64_t sampledAtUs = 0; // monotonic time of the sample
};

// Physical memory figures of the machine, and this process's standing in them.
class MemoryInfo {
public:
    virtual ~MemoryInfo() = default;

    // Total and currently available physical memory, or nothing when they cannot be read.
    virtual std::optional<PhysicalMemory> GlobalMemoryStatus() = 0;

    // The tightest memory limit over this process's group and the groups above it; nothing where none is set.
    virtual std::optional<MemoryLimit> ownMemoryLimit() { return std::nullopt; }
    // Nothing where the system does not measure memory stalls.
    virtual std::optional<MemoryPressure> memoryPressure() { return std::nullopt; }
    // How readily the kernel ends this process when memory runs out (-1000 to 1000); nothing where unknown.
    virtual std::optional<int> oomScoreAdjust() { return std::nullopt; }
    virtual bool setOomScoreAdjust(int /*value*/) { return false; }
};

// Milliseconds since the system started, as a wrapping 32-bit count.
class TickClock {
public:
    virtual ~TickClock() = default;
    virtual std::uint32_t GetTickCount() = 0;
};

// Hands out the blocks a memory release claims: 1,000,000 UTF-16 spaces each, every character written.
class BlockAllocator {
public:
    static constexpr std::size_t kBlockChars = 1'000'000;
    static constexpr std::size_t kBlockBytes = kBlockChars * sizeof(char16_t);
    // What one block costs the machine: the blocks are backed by whole 2 MiB huge pages.
    static constexpr std::uint64_t kBlockFootprint = 2u * 1024u * 1024u;

    // What a release leaves free of memory (or of a limit) of `totalBytes`: the larger of 256 MiB and 5 %.
    static constexpr std::uint64_t kMinimumReserve = 256u * 1024u * 1024u;
    static constexpr std::uint64_t reserveFor(std::uint64_t totalBytes) {
        return totalBytes / 20 > kMinimumReserve ? totalBytes / 20 : kMinimumReserve;
    }

    virtual ~BlockAllocator() = default;

    // A new filled block, or nullptr when the system refuses it.
    virtual char16_t* claimBlock() = 0;
    virtual void freeBlock(char16_t* block) = 0;
};

// The memory figures come from /proc, or from the meminfo file KELVORA_MEMINFO names when it is set (its SwapFree then
// stands for the disk swap).
std::unique_ptr<MemoryInfo> createMemoryInfo();
std::unique_ptr<TickClock> createTickClock();
std::unique_ptr<BlockAllocator> createBlockAllocator();

} // namespace kelvora
