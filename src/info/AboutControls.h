#pragma once

#include "settings/ControlTable.h"

namespace kelvora {

// The About window's controls; the fixed texts (product, version, address, author, computer) have no slot.
ControlTable aboutControls();

} // namespace kelvora
