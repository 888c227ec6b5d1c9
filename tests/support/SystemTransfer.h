#pragma once

#include <cstdint>
#include <memory>

#include "update/transfer/HttpTransfer.h"

namespace kelvora::test {

// The transfer the program uses on the system the tests are built for.
std::unique_ptr<ReportingTransfer> makeSystemTransfer(TransferOptions options = {});

// A port on 127.0.0.1 that takes connections and never answers, for as long as this object lives.
class SilentListener {
public:
    SilentListener();
    ~SilentListener();
    SilentListener(const SilentListener&) = delete;
    SilentListener& operator=(const SilentListener&) = delete;
    int port() const { return port_; }

private:
    std::intptr_t socket_ = -1;
    int port_ = 0;
};

} // namespace kelvora::test
