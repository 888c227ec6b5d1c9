#pragma once

#include <string>

#include "platform/SingleInstance.h"

namespace kelvora::fake {

// Another instance is running when a test says so; claims are counted.
class FakeSingleInstance : public SingleInstance {
public:
    void setOtherInstanceRunning(bool running) { otherRunning_ = running; }
    int claims() const { return claims_; }
    const std::string& lastName() const { return lastName_; }

    bool claim(const std::string& name) override {
        ++claims_;
        lastName_ = name;
        return !otherRunning_;
    }

private:
    bool otherRunning_ = false;
    int claims_ = 0;
    std::string lastName_;
};

} // namespace kelvora::fake
