#pragma once

#include <algorithm>

namespace kelvora::updatewindow {

// The on-demand check starts this long after its window opened, so the window is drawn first.
inline constexpr int kCheckDelayMs = 900;
// Meanwhile its progress bar creeps on by a step at every tick until it is full.
inline constexpr int kProgressStepMs = 700;
inline constexpr int kProgressStep = 10;
inline constexpr int kProgressFull = 100;
// The hidden window of the silent check starts it this long after it was made.
inline constexpr int kSilentCheckDelayMs = 600;

// The bar's value one tick later, never past full.
constexpr int progressAfterTick(int value) {
    return std::min(value + kProgressStep, kProgressFull);
}

// A full bar stops the stepping.
constexpr bool progressDone(int value) {
    return value >= kProgressFull;
}

} // namespace kelvora::updatewindow
