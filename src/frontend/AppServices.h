#pragma once

#include <string>

namespace kelvora {

class StringTable;
class FileSystem;
class Registry;
class MemoryInfo;
class TickClock;
class Processes;
class ForegroundWindows;
class Shell;

// What the windows need from the rest of the program, passed down from main().
struct AppServices {
    const StringTable& strings;
    FileSystem& files;
    Registry& registry;
    MemoryInfo& memory;
    TickClock& clock;
    Processes& processes;
    ForegroundWindows& foreground;
    Shell& shell;
    std::string vendorUrl; // scheme and host of the vendor's web server, no trailing slash
};

} // namespace kelvora
