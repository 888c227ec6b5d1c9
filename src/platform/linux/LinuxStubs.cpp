// Placeholder backends; each moves into its own file as it is built.
#include "platform/FileSystem.h"
#include "platform/MemoryInfo.h"
#include "platform/Processes.h"
#include "platform/Registry.h"
#include "platform/Shell.h"
#include "platform/SingleInstance.h"

namespace kelvora {
namespace {

class StubFileSystem : public FileSystem {
public:
    std::string programFolder() const override { return "."; }
    std::string resolvePath(const std::string& windowsPath) const override { return windowsPath; }
    bool isRegularFile(const std::string&) const override { return false; }
    std::optional<std::vector<std::string>> readTextLines(const std::string&) const override { return std::nullopt; }
};

class StubRegistry : public Registry {
public:
    long OpenKey(std::uint32_t, const std::string&, std::uint32_t, RegKey& key) override {
        key = kNullKey;
        return 2;
    }
    long CreateKey(std::uint32_t, const std::string&, std::uint32_t, RegKey& key) override {
        key = kNullKey;
        return 2;
    }
    long QueryValue(RegKey, const std::string&, std::uint32_t&, std::uint32_t&, std::vector<std::uint8_t>*) override {
        return 2;
    }
    long SetValue(RegKey, const std::string&, std::uint32_t, const std::vector<std::uint8_t>&) override { return 2; }
    long CloseKey(RegKey) override { return 0; }
};

class StubSingleInstance : public SingleInstance {
public:
    bool claim(const std::string&) override { return true; }
};

class StubMemoryInfo : public MemoryInfo {
public:
    std::optional<PhysicalMemory> GlobalMemoryStatus() override { return std::nullopt; }
};

class StubTickClock : public TickClock {
public:
    std::uint32_t GetTickCount() override { return 0; }
};

class StubProcesses : public Processes {
public:
    int GetPlatformId() override { return 2; }
};

class StubForegroundWindows : public ForegroundWindows {
public:
    std::uint64_t GetForegroundWindow() override { return 0; }
    std::uint32_t GetWindowThreadProcessId(std::uint64_t) override { return 0; }
};

class StubShell : public Shell {
public:
    std::int32_t ShellOpen(const std::string&) override { return 0; }
    std::string GetComputerName() override { return {}; }
};

} // namespace

std::unique_ptr<FileSystem> createFileSystem() { return std::make_unique<StubFileSystem>(); }
std::unique_ptr<Registry> createRegistry() { return std::make_unique<StubRegistry>(); }
std::unique_ptr<SingleInstance> createSingleInstance() { return std::make_unique<StubSingleInstance>(); }
std::unique_ptr<MemoryInfo> createMemoryInfo() { return std::make_unique<StubMemoryInfo>(); }
std::unique_ptr<TickClock> createTickClock() { return std::make_unique<StubTickClock>(); }
std::unique_ptr<Processes> createProcesses() { return std::make_unique<StubProcesses>(); }
std::unique_ptr<ForegroundWindows> createForegroundWindows() { return std::make_unique<StubForegroundWindows>(); }
std::unique_ptr<Shell> createShell() { return std::make_unique<StubShell>(); }

} // namespace kelvora
