#pragma once

#include <chrono>
#include <cstddef>
#include <functional>
#include <string>
#include <utility>

namespace kelvora {

// One HTTP request at a time, started at once and read when it has ended.
class HttpTransfer {
public:
    virtual ~HttpTransfer() = default;

    // Starts `operation` ("GET") on `url` and returns at once; a request still running is cancelled first.
    virtual void Execute(const std::string& url, const std::string& operation) = 0;
    // True while the request runs; false once it completed, failed, timed out or was cancelled.
    virtual bool StillExecuting() = 0;
    // The final response's header block as the server sent it, status line first, lines joined by CR LF;
    // empty when no complete response arrived.
    virtual std::string GetHeader() = 0;
    // The next piece of the body, at most `size` bytes; empty when the body is exhausted or there is none.
    virtual std::string GetChunk(std::size_t size) = 0;
    // Aborts a running request; harmless when none runs.
    virtual void Cancel() = 0;
};

// A transfer that keeps the answer of its finished request and hands out the body piece by piece.
class AnswerHoldingTransfer : public HttpTransfer {
public:
    std::string GetHeader() override { return StillExecuting() ? std::string() : header_; }
    std::string GetChunk(std::size_t size) override {
        if (StillExecuting() || readPosition_ >= body_.size())
            return {};
        std::string piece = body_.substr(readPosition_, size);
        readPosition_ += piece.size();
        return piece;
    }

protected:
    void forgetAnswer() { keepAnswer({}, {}); }
    void keepAnswer(std::string header, std::string body) {
        header_ = std::move(header);
        body_ = std::move(body);
        readPosition_ = 0;
    }

private:
    std::string header_;
    std::string body_;
    std::size_t readPosition_ = 0;
};

// The limits every system's transfer keeps.
struct TransferOptions {
    std::chrono::milliseconds timeout{60000};      // the whole request
    std::size_t maxBodyBytes = 16u * 1024u * 1024u; // a longer body fails the request
    std::size_t maxHeaderBytes = 64u * 1024u;       // the largest response header block taken
    unsigned maxRedirects = 5;
};

// The request lifecycle the system transfers share. Execute starts a request and returns at once; a request that
// cannot start (a scheme other than http or https, an operation other than "GET", no resources) ends there and
// then. Either way the finished callback runs exactly once per request, however it ends: on the transfer's own
// thread when the request completes or fails there, on the caller's thread when Execute cannot start it or Cancel
// ends it. Cancel never waits for the request's threads; an abandoned request never calls back.
class ReportingTransfer : public AnswerHoldingTransfer {
public:
    // Set it before Execute.
    void setFinishedCallback(std::function<void()> callback) { finishedCallback_ = std::move(callback); }

protected:
    const std::function<void()>& finishedCallback() const { return finishedCallback_; }
    // Tells the caller, on its own thread, that a request ended here without an answer.
    void reportEndedHere() const {
        if (finishedCallback_)
            finishedCallback_();
    }

private:
    std::function<void()> finishedCallback_;
};

// Lets the user interface run while a caller waits for a transfer.
class EventYield {
public:
    virtual ~EventYield() = default;

    // Processes events until something the caller waits for may have changed; false when the event loop is
    // ending and waiting any longer is pointless.
    virtual bool yield() = 0;
};

} // namespace kelvora
