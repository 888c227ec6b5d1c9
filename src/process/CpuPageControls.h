#pragma once

#include "settings/ControlTable.h"

namespace kelvora {

// The CPU page (x2), relative to its page container.
ControlTable cpuPageControls();

} // namespace kelvora
