#pragma once

#include <cstdint>
#include <optional>

#include "memory/MemoryRelease.h"

namespace kelvora {

// Holds the free-memory threshold check back after one of its releases was cut short (by the reserve, the memory
// limit or pressure). Available memory already counts the page cache, so while the free share stays under the
// threshold another release would only evict the cache again, at every refresh. The hold ends once the free share
// is back at or above the threshold, or after kHoldMs.
class ThresholdBackoff {
public:
    static constexpr std::uint32_t kHoldMs = 10u * 60u * 1000u;

    // Whether the threshold check starts a release now, given whether the free share is under the threshold.
    bool permits(bool belowThreshold, std::uint32_t nowMs);
    // How the release the check started ended.
    void released(MemoryRelease::Outcome outcome, std::uint32_t nowMs);
    bool holding() const { return heldSince_.has_value(); }

private:
    std::optional<std::uint32_t> heldSince_;
};

} // namespace kelvora
