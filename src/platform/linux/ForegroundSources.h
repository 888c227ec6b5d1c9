#pragma once

#include <memory>
#include <string>

#include "platform/Processes.h"
#include "platform/linux/ForegroundSession.h"

namespace kelvora {

// Each source of the foreground window on Linux; createForegroundWindows() picks one from the session.
std::unique_ptr<ForegroundWindows> createX11Foreground();
std::unique_ptr<ForegroundWindows> createI3IpcForeground(const std::string& socketPath);
std::unique_ptr<ForegroundWindows> createHyprlandForeground(const std::string& socketPath);
// Over the session bus: KWin runs the script at `scriptPath`; GNOME Shell runs the program's extension.
std::unique_ptr<ForegroundWindows> createKWinForeground(const std::string& scriptPath);
std::unique_ptr<ForegroundWindows> createGnomeForeground();
// Which of those the session bus offers.
void readBusFacts(SessionFacts& facts);

} // namespace kelvora
