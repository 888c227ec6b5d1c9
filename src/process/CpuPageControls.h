#pragma once

#include "frontend/ControlTable.h"

namespace kelvora {

// The CPU page (x2), relative to its page container.
ControlTable cpuPageControls();

} // namespace kelvora
