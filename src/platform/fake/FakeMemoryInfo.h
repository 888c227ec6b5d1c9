#pragma once

#include <cstddef>
#include <memory>
#include <set>
#include <vector>

#include "platform/MemoryInfo.h"

namespace kelvora::fake {

// Memory figures a test sets directly; counts how often they were read.
class FakeMemoryInfo : public MemoryInfo {
public:
    std::optional<PhysicalMemory> figures;
    std::optional<MemoryLimit> limit;
    std::optional<MemoryPressure> pressure;
    std::optional<int> oomScore; // nothing: the system has no such setting
    std::vector<int> oomScoreWrites;
    int reads = 0;

    // Figures in decimal megabytes, as most tests think of them.
    void setMB(std::uint64_t totalMB, std::uint64_t availMB, std::uint64_t swapFreeMB = 0);
    std::optional<PhysicalMemory> GlobalMemoryStatus() override;
    std::optional<MemoryLimit> ownMemoryLimit() override { return limit; }
    std::optional<MemoryPressure> memoryPressure() override { return pressure; }
    std::optional<int> oomScoreAdjust() override { return oomScore; }
    bool setOomScoreAdjust(int value) override;
};

// A tick count the test advances by hand; it wraps at 2^32 like the real one.
class FakeTickClock : public TickClock {
public:
    std::uint32_t now = 0;
    void advance(std::uint32_t ms) { now += ms; }
    std::uint32_t GetTickCount() override { return now; }
};

// Hands out tiny stand-ins for blocks, so a test claims no real memory, and checks each is freed exactly once.
class FakeBlockAllocator : public BlockAllocator {
public:
    ~FakeBlockAllocator() override;

    // Claims fail from this block number on (counted over the allocator's life); -1 never fails.
    long failFromClaim = -1;
    // Drops `figures` by each block's footprint, as a real claim lowers available memory.
    FakeMemoryInfo* lowersAvailableOf = nullptr;

    long claims = 0;
    long frees = 0;
    long badFrees = 0; // frees of a block that is not live: a double free or a stranger
    std::size_t live() const { return live_.size(); }

    char16_t* claimBlock() override;
    void freeBlock(char16_t* block) override;

private:
    std::set<char16_t*> live_;
};

} // namespace kelvora::fake
