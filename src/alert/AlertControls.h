#pragma once

#include "frontend/ControlTable.h"

namespace kelvora {

// The alert popup's labels; its texts come from the caller, not from the string table.
ControlTable alertControls();

} // namespace kelvora
