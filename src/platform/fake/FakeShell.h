#pragma once

#include <string>
#include <vector>

#include "platform/Shell.h"

namespace kelvora::fake {

// Records every target it is asked to open; result and computer name are set by the test.
class FakeShell : public Shell {
public:
    std::int32_t ShellOpen(const std::string& target) override;
    std::string GetComputerName() override { return computerName; }

    std::vector<std::string> opened;
    std::int32_t result = 42;
    std::string computerName = "FAKE-PC";
};

} // namespace kelvora::fake
