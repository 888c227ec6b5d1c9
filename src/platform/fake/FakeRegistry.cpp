#include "platform/fake/FakeRegistry.h"

namespace kelvora::fake {

long FakeRegistry::update(const std::function<bool(RegistryTree&)>& change) {
    RegistryTree changed = tree_;
    if (!change(changed))
        return kErrorSuccess;
    if (!writable_)
        return kErrorAccessDenied;
    tree_ = std::move(changed);
    ++writes_;
    return kErrorSuccess;
}

} // namespace kelvora::fake
