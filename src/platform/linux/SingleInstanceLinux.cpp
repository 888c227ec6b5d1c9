// Placeholder backend; replaced when this part of the platform layer is built.
#include "platform/SingleInstance.h"

namespace kelvora {
namespace {

class StubSingleInstance : public SingleInstance {
public:
    bool claim(const std::string&) override { return true; }
};

} // namespace

std::unique_ptr<SingleInstance> createSingleInstance() { return std::make_unique<StubSingleInstance>(); }

} // namespace kelvora
