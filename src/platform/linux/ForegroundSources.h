#pragma once

#include <memory>
#include <string>

#include "platform/Processes.h"

namespace kelvora {

// Each source of the foreground window on Linux; createForegroundWindows() picks one from the session.
std::unique_ptr<ForegroundWindows> createX11Foreground();
std::unique_ptr<ForegroundWindows> createI3IpcForeground(const std::string& socketPath);
std::unique_ptr<ForegroundWindows> createHyprlandForeground(const std::string& socketPath);

} // namespace kelvora
