#pragma once

#include <cstdint>
#include <optional>

namespace kelvora {

class MemoryInfo;

// Physical memory in whole decimal megabytes (1,000,000 bytes).
struct MemoryStatusMB {
    std::int32_t totalMB = 0;
    std::int32_t availMB = 0;
};

// Bytes to whole megabytes, halves to the even neighbour; nothing if the figure does not fit 32 bits.
std::optional<std::int32_t> bytesToMB(std::uint64_t bytes);

// One sample of the machine's memory; nothing when it cannot be read.
std::optional<MemoryStatusMB> GetMemoryStatus(MemoryInfo& info);

// Blocks a release claims: the available megabytes plus `level` per cent of the used ones; 0 when out of range.
std::int32_t GetReleaseBlockCount(std::int32_t usedMB, std::int32_t availMB, std::int16_t level);

} // namespace kelvora
