#pragma once

#include <cstdint>
#include <memory>
#include <string>

namespace kelvora {

// The desktop's shell: opening web pages and documents, and the machine's name.
class Shell {
public:
    virtual ~Shell() = default;

    // Hands `target` (a URL or a full document path) to the desktop's default action without waiting.
    // Greater than 32 when the opener was started, 0 when it could not be.
    virtual std::int32_t ShellOpen(const std::string& target) = 0;

    // The computer's name, or empty when it cannot be read.
    virtual std::string GetComputerName() = 0;
};

std::unique_ptr<Shell> createShell();

} // namespace kelvora
