#include "platform/fake/FakeShell.h"

namespace kelvora::fake {

std::int32_t FakeShell::ShellOpen(const std::string& target) {
    opened.push_back(target);
    return result;
}

} // namespace kelvora::fake
