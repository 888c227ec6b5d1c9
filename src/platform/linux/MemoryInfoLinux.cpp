// Placeholder backend; replaced when this part of the platform layer is built.
#include "platform/MemoryInfo.h"

namespace kelvora {
namespace {

class StubMemoryInfo : public MemoryInfo {
public:
    std::optional<PhysicalMemory> GlobalMemoryStatus() override { return std::nullopt; }
};
class StubTickClock : public TickClock {
public:
    std::uint32_t GetTickCount() override { return 0; }
};

} // namespace

std::unique_ptr<MemoryInfo> createMemoryInfo() { return std::make_unique<StubMemoryInfo>(); }
std::unique_ptr<TickClock> createTickClock() { return std::make_unique<StubTickClock>(); }

} // namespace kelvora
