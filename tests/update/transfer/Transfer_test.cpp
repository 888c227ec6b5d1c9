// The request lifecycle every system's transfer keeps, run against the transfer of the system the tests are built
// for (the helper and libcurl on Linux, WinHTTP on Windows).
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <string>
#include <thread>

#include "support/SystemTransfer.h"

namespace kelvora {
namespace {

using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;

struct Watched {
    explicit Watched(TransferOptions options = {}) : transfer(test::makeSystemTransfer(options)) {
        transfer->setFinishedCallback([this] { ++ends; });
    }
    // Polls as the windows do; false when the request still runs at the deadline.
    bool waitForEnd(std::chrono::milliseconds limit = 20s) {
        const auto deadline = Clock::now() + limit;
        while (transfer->StillExecuting()) {
            if (Clock::now() > deadline)
                return false;
            std::this_thread::sleep_for(10ms);
        }
        return true;
    }
    std::unique_ptr<ReportingTransfer> transfer;
    std::atomic<int> ends{0};
};

std::string silentUrl(const test::SilentListener& listener) {
    return "http://127.0.0.1:" + std::to_string(listener.port()) + "/";
}

TEST(TransferContract, ARequestThatCannotStartEndsAtOnceReportedOnceWithoutAnAnswer) {
    Watched watched;
    watched.transfer->Execute("http://127.0.0.1:9/", "POST");
    EXPECT_EQ(watched.ends, 1) << "a waiter would sleep until its next slice, or for ever";
    EXPECT_FALSE(watched.transfer->StillExecuting());
    EXPECT_EQ(watched.transfer->GetHeader(), "");
    EXPECT_EQ(watched.transfer->GetChunk(100), "");
}

TEST(TransferContract, AFailedRequestEndsOnceWithoutAnAnswer) {
    for (const char* url : {"ftp://127.0.0.1/kvora-2008.txt", "http://127.0.0.1:9/", "not a url at all"}) {
        SCOPED_TRACE(url);
        Watched watched;
        watched.transfer->Execute(url, "GET");
        ASSERT_TRUE(watched.waitForEnd());
        std::this_thread::sleep_for(100ms); // room for a second, wrong report
        EXPECT_EQ(watched.ends, 1);
        EXPECT_EQ(watched.transfer->GetHeader(), "");
        EXPECT_EQ(watched.transfer->GetChunk(100), "");
    }
}

TEST(TransferContract, CancelReturnsAtOnceReportsOnceAndTheRequestNeverCallsBack) {
    test::SilentListener listener;
    Watched watched;
    watched.transfer->Execute(silentUrl(listener), "GET");
    std::this_thread::sleep_for(200ms);
    ASSERT_TRUE(watched.transfer->StillExecuting()) << "the server never answers";
    EXPECT_EQ(watched.ends, 0);
    const auto start = Clock::now();
    watched.transfer->Cancel();
    EXPECT_LT(Clock::now() - start, 2s);
    EXPECT_FALSE(watched.transfer->StillExecuting());
    EXPECT_EQ(watched.ends, 1);
    watched.transfer->Cancel(); // harmless when nothing runs
    std::this_thread::sleep_for(300ms);
    EXPECT_EQ(watched.ends, 1);
    EXPECT_EQ(watched.transfer->GetHeader(), "");
}

TEST(TransferContract, TheTimeOutEndsARequestTheServerNeverAnswers) {
    test::SilentListener listener;
    Watched watched(TransferOptions{300ms});
    const auto start = Clock::now();
    watched.transfer->Execute(silentUrl(listener), "GET");
    ASSERT_TRUE(watched.waitForEnd());
    EXPECT_GE(Clock::now() - start, 250ms);
    EXPECT_EQ(watched.ends, 1);
    EXPECT_EQ(watched.transfer->GetHeader(), "");
}

} // namespace
} // namespace kelvora
