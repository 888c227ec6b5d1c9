// Placeholder backend; replaced when this part of the platform layer is built.
#include "platform/Shell.h"

namespace kelvora {
namespace {

class StubShell : public Shell {
public:
    std::int32_t ShellOpen(const std::string&) override { return 0; }
    std::string GetComputerName() override { return {}; }
};

} // namespace

std::unique_ptr<Shell> createShell() { return std::make_unique<StubShell>(); }

} // namespace kelvora
