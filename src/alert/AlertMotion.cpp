#include "alert/AlertMotion.h"

namespace kelvora {

AlertMotion::AlertMotion(int screenWidthTwips, int screenHeightTwips, int widthTwips, int heightTwips)
    : PopupLeft_(screenWidthTwips - widthTwips), HiddenTop_(screenHeightTwips), height_(heightTwips),
      top_(screenHeightTwips) {}

int AlertMotion::intervalMs() const {
    switch (phase_) {
    case Phase::SlidingIn:
    case Phase::SlidingOut:
        return kSlideIntervalMs;
    case Phase::Resting:
        return kRestMs;
    case Phase::Finished:
        break;
    }
    return 0;
}

void AlertMotion::tick() {
    switch (phase_) {
    case Phase::SlidingIn:
        top_ -= kStepTwips;
        if (top_ < HiddenTop_ - height_)
            phase_ = Phase::Resting;
        break;
    case Phase::Resting:
        phase_ = Phase::SlidingOut;
        break;
    case Phase::SlidingOut:
        top_ += kStepTwips;
        // At or below, never exactly equal, so a step that overshoots still ends the slide.
        if (top_ >= HiddenTop_)
            phase_ = Phase::Finished;
        break;
    case Phase::Finished:
        break;
    }
}

} // namespace kelvora
