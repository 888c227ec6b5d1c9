#pragma once

#include <atomic>
#include <chrono>
#include <cstddef>
#include <functional>
#include <string>
#include <thread>

#include "update/HttpTransfer.h"

namespace kelvora {

struct CurlTransferOptions {
    std::chrono::milliseconds timeout{60000}; // the whole request
    std::size_t maxBodyBytes = 16u * 1024u * 1024u;
    long maxRedirects = 5;
};

// HTTP/1.1 GET with libcurl on a worker thread; only http and https are fetched or followed.
class CurlTransfer : public HttpTransfer {
public:
    explicit CurlTransfer(CurlTransferOptions options = {});
    ~CurlTransfer() override;
    CurlTransfer(const CurlTransfer&) = delete;
    CurlTransfer& operator=(const CurlTransfer&) = delete;

    // Called on the worker thread when a request ends, however it ends; set it before Execute.
    void setFinishedCallback(std::function<void()> callback);

    void Execute(const std::string& url, const std::string& operation) override;
    bool StillExecuting() override;
    std::string GetHeader() override;
    std::string GetChunk(std::size_t size) override;
    void Cancel() override;

private:
    void run(const std::string& url);
    void configure(void* easy, const std::string& url);
    void finishWorker();
    static std::size_t onHeaderLine(char* data, std::size_t size, std::size_t count, void* self);
    static std::size_t onBodyData(char* data, std::size_t size, std::size_t count, void* self);

    CurlTransferOptions options_;
    std::function<void()> finishedCallback_;
    std::thread worker_;
    void* multi_ = nullptr;
    std::atomic<bool> cancelRequested_{false};
    std::atomic<bool> finished_{false};

    // Written by the worker while it runs, read only after it has been joined.
    std::string header_;
    bool headerBlockEnded_ = true;
    std::string body_;
    std::size_t readPosition_ = 0;
};

} // namespace kelvora
