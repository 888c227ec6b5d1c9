#pragma once

#include <chrono>
#include <cstddef>
#include <functional>
#include <memory>
#include <string>

#include "update/transfer/HttpTransfer.h"

namespace kelvora {

struct WinHttpTransferOptions {
    std::chrono::milliseconds timeout{60000}; // the whole request
    std::size_t maxBodyBytes = 16u * 1024u * 1024u;
    std::size_t maxHeaderBytes = 64u * 1024u;
    unsigned maxRedirects = 5;
};

// HTTP/1.1 GET with WinHTTP in asynchronous mode: the system's threads run the request, so nothing here waits
// or polls, and closing the request handle cancels it in any phase. Only http and https are fetched or followed.
class WinHttpTransfer : public AnswerHoldingTransfer {
public:
    explicit WinHttpTransfer(WinHttpTransferOptions options = {});
    ~WinHttpTransfer() override;
    WinHttpTransfer(const WinHttpTransfer&) = delete;
    WinHttpTransfer& operator=(const WinHttpTransfer&) = delete;

    // Called on a system thread when a request ends, however it ends; set it before Execute.
    void setFinishedCallback(std::function<void()> callback);

    void Execute(const std::string& url, const std::string& operation) override;
    bool StillExecuting() override;
    void Cancel() override;

    struct Request; // shared with the system's callbacks, which may outlive a cancelled transfer

private:
    WinHttpTransferOptions options_;
    std::function<void()> finishedCallback_;
    std::shared_ptr<Request> request_;
};

} // namespace kelvora
