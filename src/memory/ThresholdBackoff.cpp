#include "memory/ThresholdBackoff.h"

namespace kelvora {

bool ThresholdBackoff::permits(bool belowThreshold, std::uint32_t nowMs) {
    if (!belowThreshold) {
        heldSince_.reset();
        return false;
    }
    // Unsigned difference of the wrapping tick count: correct across a wrap.
    if (heldSince_ && nowMs - *heldSince_ < kHoldMs)
        return false;
    heldSince_.reset();
    return true;
}

void ThresholdBackoff::released(MemoryRelease::Outcome outcome, std::uint32_t nowMs) {
    if (outcome == MemoryRelease::Outcome::StoppedForHeadroom || outcome == MemoryRelease::Outcome::StoppedForPressure)
        heldSince_ = nowMs;
}

} // namespace kelvora
