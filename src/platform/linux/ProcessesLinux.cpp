// Placeholder backend; replaced when this part of the platform layer is built.
#include "platform/Processes.h"

namespace kelvora {
namespace {

class StubProcesses : public Processes {
public:
    int GetPlatformId() override { return 2; }
};
class StubForegroundWindows : public ForegroundWindows {
public:
    std::uint64_t GetForegroundWindow() override { return 0; }
    std::uint32_t GetWindowThreadProcessId(std::uint64_t) override { return 0; }
};

} // namespace

std::unique_ptr<Processes> createProcesses() { return std::make_unique<StubProcesses>(); }
std::unique_ptr<ForegroundWindows> createForegroundWindows() { return std::make_unique<StubForegroundWindows>(); }

} // namespace kelvora
