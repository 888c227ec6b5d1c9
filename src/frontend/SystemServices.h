#pragma once

#include <memory>
#include <string>
#include <utility>

#include "frontend/AppServices.h"
#include "platform/FileSystem.h"
#include "platform/MemoryInfo.h"
#include "platform/Processes.h"
#include "platform/Registry.h"
#include "platform/Shell.h"
#include "platform/SingleInstance.h"
#include "settings/StringTable.h"

namespace kelvora {

// The running system's services, made once at start by either front end and handed to the windows as `services`.
struct SystemServices {
    explicit SystemServices(std::string vendorUrl)
        : services{strings, *files, *registry, *memory, *clock, *processes, *foreground, *shell, std::move(vendorUrl)} {}

    std::unique_ptr<FileSystem> files = createFileSystem();
    std::unique_ptr<Registry> registry = createRegistry();
    std::unique_ptr<SingleInstance> instance = createSingleInstance();
    std::unique_ptr<MemoryInfo> memory = createMemoryInfo();
    std::unique_ptr<TickClock> clock = createTickClock();
    std::unique_ptr<Processes> processes = createProcesses();
    std::unique_ptr<ForegroundWindows> foreground = createForegroundWindows();
    std::unique_ptr<Shell> shell = createShell();
    StringTable strings;
    AppServices services;
};

} // namespace kelvora
