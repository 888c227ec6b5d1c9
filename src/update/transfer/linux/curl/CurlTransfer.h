#pragma once

#include <chrono>
#include <cstddef>
#include <functional>
#include <memory>
#include <string>

#include "update/transfer/HttpTransfer.h"

namespace kelvora {

// HTTP/1.1 GET with libcurl on a worker thread; only http and https are fetched or followed. The caller never
// waits for the worker: Cancel abandons it (it owns its state jointly with this object) and returns at once.
class CurlTransfer : public ReportingTransfer {
public:
    explicit CurlTransfer(TransferOptions options = {});
    ~CurlTransfer() override;
    CurlTransfer(const CurlTransfer&) = delete;
    CurlTransfer& operator=(const CurlTransfer&) = delete;

    void Execute(const std::string& url, const std::string& operation) override;
    bool StillExecuting() override;
    void Cancel() override;

    struct Request; // what the worker thread shares with this object

private:
    // Detaches from the running request, which will never call back; false when none ran.
    bool abandon();

    TransferOptions options_;
    std::shared_ptr<Request> request_;

    // The last finished request's answer, read by the caller's thread only.
};

} // namespace kelvora
