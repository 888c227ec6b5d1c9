#pragma once

#include <chrono>
#include <cstddef>
#include <functional>
#include <memory>
#include <string>

#include "update/transfer/HttpTransfer.h"

namespace kelvora {

struct CurlTransferOptions {
    std::chrono::milliseconds timeout{60000}; // the whole request
    std::size_t maxBodyBytes = 16u * 1024u * 1024u;
    long maxRedirects = 5;
};

// The largest response header block taken; a longer one fails the request.
inline constexpr std::size_t kMaxHeaderBlockBytes = 64u * 1024u;

// HTTP/1.1 GET with libcurl on a worker thread; only http and https are fetched or followed. The caller never
// waits for the worker: Cancel abandons it (it owns its state jointly with this object) and returns at once.
class CurlTransfer : public AnswerHoldingTransfer {
public:
    explicit CurlTransfer(CurlTransferOptions options = {});
    ~CurlTransfer() override;
    CurlTransfer(const CurlTransfer&) = delete;
    CurlTransfer& operator=(const CurlTransfer&) = delete;

    // Called when a request ends, however it ends: on the worker thread when it completes or fails there, on the
    // caller's thread when Execute cannot start it or Cancel ends it. Set it before Execute.
    void setFinishedCallback(std::function<void()> callback);

    void Execute(const std::string& url, const std::string& operation) override;
    bool StillExecuting() override;
    void Cancel() override;

    struct Request; // what the worker thread shares with this object

private:
    // Detaches from the running request, which will never call back; false when none ran.
    bool abandon();
    void finishFailed();

    CurlTransferOptions options_;
    std::function<void()> finishedCallback_;
    std::shared_ptr<Request> request_;

    // The last finished request's answer, read by the caller's thread only.
};

} // namespace kelvora
