#pragma once

#include <chrono>
#include <cstddef>
#include <functional>
#include <memory>
#include <string>

#include "update/transfer/HttpTransfer.h"

namespace kelvora {

// HTTP/1.1 GET with WinHTTP in asynchronous mode: the system's threads run the request, so nothing here waits
// or polls, and closing the request handle cancels it in any phase. Only http and https are fetched or followed.
class WinHttpTransfer : public ReportingTransfer {
public:
    explicit WinHttpTransfer(TransferOptions options = {});
    ~WinHttpTransfer() override;
    WinHttpTransfer(const WinHttpTransfer&) = delete;
    WinHttpTransfer& operator=(const WinHttpTransfer&) = delete;

    void Execute(const std::string& url, const std::string& operation) override;
    bool StillExecuting() override;
    void Cancel() override;

    struct Request; // shared with the system's callbacks, which may outlive a cancelled transfer

private:
    TransferOptions options_;
    std::shared_ptr<Request> request_;
};

} // namespace kelvora
