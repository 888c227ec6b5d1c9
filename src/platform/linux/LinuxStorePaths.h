#pragma once

#include <memory>
#include <string>

#include "platform/Registry.h"

namespace kelvora {

// $XDG_CONFIG_HOME when it is an absolute path, otherwise ~/.config.
std::string configHome();
// The per-user registry store: <config home>/Talvek/kelvora-2008.reg.
std::string registryStorePath();
// A registry kept in the REGEDIT4 text file `storePath` (created with its folder on the first write).
std::unique_ptr<Registry> createFileRegistry(const std::string& storePath);

// The lock file of the single-instance token `name`, made if missing: in $XDG_RUNTIME_DIR, else in a folder of this
// user's own in the temp folder, else in the settings folder; never where another user could have made the folder or
// the file. Empty when there is no such place.
std::string instanceLockPath(const std::string& name);

} // namespace kelvora
