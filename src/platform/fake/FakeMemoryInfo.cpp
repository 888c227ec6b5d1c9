#include "platform/fake/FakeMemoryInfo.h"

#include <algorithm>

namespace kelvora::fake {

void FakeMemoryInfo::setMB(std::uint64_t totalMB, std::uint64_t availMB, std::uint64_t swapFreeMB) {
    figures = PhysicalMemory{totalMB * 1'000'000u, availMB * 1'000'000u, swapFreeMB * 1'000'000u};
}

std::optional<PhysicalMemory> FakeMemoryInfo::GlobalMemoryStatus() {
    ++reads;
    return figures;
}

bool FakeMemoryInfo::setOomScoreAdjust(int value) {
    oomScoreWrites.push_back(value);
    if (!oomScore)
        return false;
    oomScore = value;
    return true;
}

FakeBlockAllocator::~FakeBlockAllocator() {
    for (char16_t* block : live_)
        delete block;
}

char16_t* FakeBlockAllocator::claimBlock() {
    if (failFromClaim >= 0 && claims >= failFromClaim)
        return nullptr;
    ++claims;
    auto* block = new char16_t(u' ');
    live_.insert(block);
    if (lowersAvailableOf && lowersAvailableOf->figures) {
        PhysicalMemory& figures = *lowersAvailableOf->figures;
        figures.availBytes -= std::min(figures.availBytes, kBlockFootprint);
        if (lowersAvailableOf->limit)
            lowersAvailableOf->limit->usedBytes += kBlockFootprint;
    }
    return block;
}

void FakeBlockAllocator::freeBlock(char16_t* block) {
    ++frees;
    if (live_.erase(block) == 0) {
        ++badFrees;
        return;
    }
    delete block;
    if (lowersAvailableOf && lowersAvailableOf->figures)
        lowersAvailableOf->figures->availBytes += kBlockFootprint;
    if (lowersAvailableOf && lowersAvailableOf->limit)
        lowersAvailableOf->limit->usedBytes -= std::min(lowersAvailableOf->limit->usedBytes, kBlockFootprint);
}

} // namespace kelvora::fake
