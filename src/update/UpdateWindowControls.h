#pragma once

#include "frontend/ControlTable.h"

namespace kelvora {

// The on-demand update window's controls.
ControlTable updateWindowControls();
// Its client area, in pixels at 96 dpi.
inline constexpr int kUpdateClientWidth = 361;
inline constexpr int kUpdateClientHeight = 90;

} // namespace kelvora
