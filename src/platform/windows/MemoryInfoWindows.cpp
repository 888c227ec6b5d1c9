// Memory figures from GlobalMemoryStatusEx, the system tick count, and committed VirtualAlloc blocks.

#include <algorithm>
#include <cstdlib>
#include <string>
#include <utility>

#include "platform/Meminfo.h"
#include "platform/MemoryInfo.h"

// After the program's own headers: their Win32-named constants come before the macros of the same names.
#include <windows.h>

namespace kelvora {
namespace {

std::optional<MEMORYSTATUSEX> memoryStatus() {
    MEMORYSTATUSEX status{};
    status.dwLength = sizeof status;
    if (!GlobalMemoryStatusEx(&status))
        return std::nullopt;
    return status;
}

class WindowsMemoryInfo : public MemoryInfo {
public:
    // What a release may still claim is bounded by the commit limit (ullAvailPageFile), not by physical memory,
    // which the system may page out: the part of the remaining commit beyond available physical memory stands
    // where free swap stands on Linux.
    std::optional<PhysicalMemory> GlobalMemoryStatus() override {
        const auto status = memoryStatus();
        if (!status)
            return std::nullopt;
        PhysicalMemory figures;
        figures.totalBytes = status->ullTotalPhys;
        figures.availBytes = status->ullAvailPhys;
        figures.swapFreeBytes = status->ullAvailPageFile - std::min(status->ullAvailPageFile, status->ullAvailPhys);
        return figures;
    }
};

// Figures read from a meminfo file instead of the system's (tests under Wine: a tiny machine, so a release claims
// a few dozen MB); its SwapFree stands for the commit beyond physical memory.
class FixtureMemoryInfo : public MemoryInfo {
public:
    explicit FixtureMemoryInfo(std::string path) : path_(std::move(path)) {}
    std::optional<PhysicalMemory> GlobalMemoryStatus() override { return readMeminfoFile(path_); }

private:
    std::string path_;
};

class WindowsTickClock : public TickClock {
public:
    std::uint32_t GetTickCount() override { return ::GetTickCount(); }
};

// The release's own guard sees available physical memory plus the commit beyond it; when the commit limit is
// below available physical memory, only this check keeps a block from eating the commit other programs need.
bool commitLeavesReserve() {
    const auto status = memoryStatus();
    if (!status)
        return false;
    const std::uint64_t reserve = BlockAllocator::reserveFor(status->ullTotalPhys);
    return status->ullAvailPageFile >= reserve + BlockAllocator::kBlockFootprint;
}

// Each block is committed at once and every character written, so the system really backs it.
class VirtualBlockAllocator : public BlockAllocator {
public:
    char16_t* claimBlock() override {
        if (!commitLeavesReserve())
            return nullptr;
        void* memory = VirtualAlloc(nullptr, kBlockBytes, MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE);
        if (memory == nullptr)
            return nullptr;
        auto* block = static_cast<char16_t*>(memory);
        std::fill_n(block, kBlockChars, u' ');
        return block;
    }

    void freeBlock(char16_t* block) override {
        if (block)
            VirtualFree(block, 0, MEM_RELEASE);
    }
};

} // namespace

std::unique_ptr<MemoryInfo> createMemoryInfo() {
    const char* file = std::getenv("KELVORA_MEMINFO");
    if (file && *file)
        return std::make_unique<FixtureMemoryInfo>(file);
    return std::make_unique<WindowsMemoryInfo>();
}

std::unique_ptr<TickClock> createTickClock() {
    return std::make_unique<WindowsTickClock>();
}

std::unique_ptr<BlockAllocator> createBlockAllocator() {
    return std::make_unique<VirtualBlockAllocator>();
}

} // namespace kelvora
