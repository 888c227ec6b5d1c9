#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>

namespace kelvora {

struct PhysicalMemory {
    std::uint64_t totalBytes = 0;
    std::uint64_t availBytes = 0;
    // Free swap; together with availBytes it is what can still be claimed without waking the OOM killer.
    std::uint64_t swapFreeBytes = 0;
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

// Hands out the blocks a memory release claims: 1,000,000 UTF-16 spaces each, every character written.
class BlockAllocator {
public:
    static constexpr std::size_t kBlockChars = 1'000'000;
    static constexpr std::size_t kBlockBytes = kBlockChars * sizeof(char16_t);
    // What one block costs the machine: the blocks are backed by whole 2 MiB huge pages.
    static constexpr std::uint64_t kBlockFootprint = 2u * 1024u * 1024u;

    virtual ~BlockAllocator() = default;

    // A new filled block, or nullptr when the system refuses it.
    virtual char16_t* claimBlock() = 0;
    virtual void freeBlock(char16_t* block) = 0;
};

// The memory figures come from /proc/meminfo, or from the file KELVORA_MEMINFO names when it is set.
std::unique_ptr<MemoryInfo> createMemoryInfo();
std::unique_ptr<TickClock> createTickClock();
std::unique_ptr<BlockAllocator> createBlockAllocator();

} // namespace kelvora
