#pragma once

#include <cstddef>
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

// Lets the user interface run while a caller waits for a transfer.
class EventYield {
public:
    virtual ~EventYield() = default;

    // Processes events until something the caller waits for may have changed; false when the event loop is
    // ending and waiting any longer is pointless.
    virtual bool yield() = 0;
};

} // namespace kelvora
