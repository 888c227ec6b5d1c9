#pragma once

#include "frontend/ControlTable.h"

namespace kelvora {

// The memory page (x3), relative to its page container.
ControlTable memoryPageControls();

} // namespace kelvora
