#pragma once

#include <memory>
#include <string>

namespace kelvora {

// The token that keeps a second copy of the program from running.
class SingleInstance {
public:
    virtual ~SingleInstance() = default;

    // Tests for another instance and claims the token in one atomic step; false when another instance holds it.
    // The token is held until the process ends.
    virtual bool claim(const std::string& name) = 0;
};

std::unique_ptr<SingleInstance> createSingleInstance();

} // namespace kelvora
