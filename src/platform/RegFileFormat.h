#pragma once

#include <string>
#include <string_view>

#include "platform/RegistryTree.h"

namespace kelvora {

struct RegFileContents {
    RegistryTree tree;
    // False when any part of the text could not be read: the caller keeps such a file before replacing it.
    bool clean = true;
};

// Reads the text of a REGEDIT4 export: what parses is kept, whatever does not parse marks the contents unclean.
RegFileContents readRegFile(std::string_view text);

// The tree as REGEDIT4 export text (UTF-8): strings as "text" with \\ and \" escapes, REG_DWORD as dword:, every
// other value as hex: or hex(type): byte lists, so any value reads back exactly as it was stored.
std::string writeRegFile(const RegistryTree& tree);

} // namespace kelvora
