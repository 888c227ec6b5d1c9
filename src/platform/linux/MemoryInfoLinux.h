#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "platform/MemoryInfo.h"

namespace kelvora {

// MemTotal, MemAvailable and SwapFree of a meminfo text (kB of 1024 bytes); nothing when the first two are missing.
std::optional<PhysicalMemory> parseMeminfo(std::string_view text);

// Reads <procRoot>/meminfo with one open, one read and one close per sample.
class MemoryInfoLinux : public MemoryInfo {
public:
    explicit MemoryInfoLinux(const std::string& procRoot = "/proc");
    // Reads the figures from `path` itself instead of a /proc tree.
    static MemoryInfoLinux fromMeminfoFile(std::string path);

    std::optional<PhysicalMemory> GlobalMemoryStatus() override;
    const std::string& meminfoPath() const { return path_; }

private:
    struct FilePath {};
    MemoryInfoLinux(FilePath, std::string path) : path_(std::move(path)) {}
    std::string path_;
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
