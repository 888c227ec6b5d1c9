#pragma once

#include <string>

#include "platform/WindowsPath.h"

namespace kelvora {

// Where languages/ lives for an executable in `programFolder`: beside it (a build folder, a portable copy), else in
// ../share/kelvora-2008 relative to it (an installed or extracted package, under any prefix); beside it when neither
// holds one, so a missing language is reported for the program's own folder.
std::string installedDataFolder(const std::string& programFolder, const DirectoryView& tree);

} // namespace kelvora
