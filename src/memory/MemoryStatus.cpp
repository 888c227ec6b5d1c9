#include "memory/MemoryStatus.h"

#include <cmath>
#include <limits>

#include "platform/MemoryInfo.h"

namespace kelvora {
namespace {

// Rounds to nearest with halves to even (the default rounding mode) and checks the 32-bit range.
std::optional<std::int32_t> roundToInt32(double value) {
    if (!std::isfinite(value))
        return std::nullopt;
    double rounded = std::nearbyint(value);
    if (rounded < std::numeric_limits<std::int32_t>::min() || rounded > std::numeric_limits<std::int32_t>::max())
        return std::nullopt;
    return static_cast<std::int32_t>(rounded);
}

} // namespace

std::optional<std::int32_t> bytesToMB(std::uint64_t bytes) {
    return roundToInt32(static_cast<double>(bytes) / 1000000.0);
}

std::optional<MemoryStatusMB> GetMemoryStatus(MemoryInfo& info) {
    std::optional<PhysicalMemory> figures = info.GlobalMemoryStatus();
    if (!figures)
        return std::nullopt;
    std::optional<std::int32_t> total = bytesToMB(figures->totalBytes);
    std::optional<std::int32_t> avail = bytesToMB(figures->availBytes);
    if (!total || !avail)
        return std::nullopt;
    return MemoryStatusMB{*total, *avail};
}

std::int32_t GetReleaseBlockCount(std::int32_t usedMB, std::int32_t availMB, std::int16_t level) {
    double count = level * 0.01;
    count *= usedMB;
    count += availMB;
    return roundToInt32(count).value_or(0);
}

} // namespace kelvora
