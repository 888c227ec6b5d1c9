#pragma once

#include "settings/ControlTable.h"

namespace kelvora {

// The on-demand update window's controls.
ControlTable updateWindowControls();

} // namespace kelvora
