#pragma once

#include <array>

#include "frontend/ControlTable.h"

namespace kelvora {

// The About window's controls; the fixed texts (product, version, address, author, computer) have no slot.
ControlTable aboutControls();

// The window's title: string table slot 118.
inline constexpr int kAboutTitleSlot = 118;
// Its client area, in pixels at 96 dpi.
inline constexpr int kAboutClientWidth = 480;
inline constexpr int kAboutClientHeight = 312;
// Two engraved lines across it (pixels at 96 dpi): a dark line with a white one just below.
inline constexpr int kAboutSeparatorLeft = 8;
inline constexpr int kAboutSeparatorRight = 472;
inline constexpr std::array<int, 2> kAboutSeparatorTops{72, 216};

} // namespace kelvora
