#include <gtest/gtest.h>

#include <chrono>
#include <condition_variable>
#include <mutex>

#include "support/linux/LocalHttpServer.h"
#include "update/Download.h"
#include "update/transfer/linux/HelperTransfer.h"
#include "update/transfer/linux/curl/CurlTransfer.h"

namespace kelvora {
namespace {

using namespace std::chrono_literals;
using test::LocalHttpServer;

// Sleeps until the transfer reports its end (or a short cap passes), like the window's event loop does.
class WaitingYield : public EventYield {
public:
    explicit WaitingYield(CurlTransfer& transfer) {
        transfer.setFinishedCallback([this] {
            std::lock_guard lock(mutex_);
            woken_ = true;
            wake_.notify_all();
        });
    }
    bool yield() override {
        ++yields;
        if (onYield)
            onYield();
        std::unique_lock lock(mutex_);
        wake_.wait_for(lock, 50ms, [this] { return woken_; });
        woken_ = false;
        return true;
    }
    int yields = 0;
    std::function<void()> onYield;

private:
    std::mutex mutex_;
    std::condition_variable wake_;
    bool woken_ = false;
};

struct Fetched {
    bool ok;
    std::string text;
};

Fetched fetch(const std::string& url, TransferOptions options = {}) {
    CurlTransfer transfer(options);
    WaitingYield events(transfer);
    std::string text = "before";
    const bool ok = Pobierz(transfer, events, url, text);
    return {ok, text};
}

std::string pattern(std::size_t size) {
    std::string text(size, '\0');
    for (std::size_t i = 0; i < size; ++i)
        text[i] = static_cast<char>('a' + (i * 7 + i / 1000) % 26);
    return text;
}

class DownloadTest : public ::testing::Test {
protected:
    void SetUp() override {
        // The tests talk to 127.0.0.1 only; a proxy from the environment must not get in between.
        for (const char* name : {"http_proxy", "HTTP_PROXY", "https_proxy", "HTTPS_PROXY", "all_proxy", "ALL_PROXY"})
            unsetenv(name);
    }
};

TEST_F(DownloadTest, OnlyAnExactSecondWordOf200Succeeds) {
    const struct {
        const char* header;
        bool ok;
    } cases[] = {
        {"HTTP/1.1 200 OK\r\nContent-Length: 4", true},
        {"HTTP/1.0 200 OK", true},
        {"HTTP/1.1 200", true},
        {"HTTP/1.1  200 OK", false},
        {"HTTP/1.1 404 Not Found\r\nX: 200", false},
        {"HTTP/1.1 2000 OK", false},
        {"HTTP/1.1 200\tOK", false},
        {"HTTP/1.1", false},
        {"", false},
    };
    for (const auto& c : cases)
        EXPECT_EQ(isStatusOk(c.header), c.ok) << c.header;
}

TEST_F(DownloadTest, AnswersFromALocalServerAreJudgedByTheirRawStatusLine) {
    const struct {
        const char* name;
        std::string reply;
        bool ok;
        std::string text;
    } cases[] = {
        {"200 with body", LocalHttpServer::answer("HTTP/1.1 200 OK", "2.40"), true, "2.40"},
        {"HTTP/1.0", LocalHttpServer::answer("HTTP/1.0 200 OK", "2.41\r\n"), true, "2.41\r\n"},
        {"404 with body", LocalHttpServer::answer("HTTP/1.1 404 Not Found", "<html>gone</html>"), false, "before"},
        {"two spaces", LocalHttpServer::answer("HTTP/1.1  200 OK", "2.41"), false, "before"},
        {"empty body", LocalHttpServer::answer("HTTP/1.1 200 OK", ""), true, ""},
        {"500", LocalHttpServer::answer("HTTP/1.1 500 Internal Server Error", "2.41"), false, "before"},
        {"cut short", "HTTP/1.1 200 OK\r\nContent-Length: 100\r\nConnection: close\r\n\r\n2.41", false, "before"},
        {"body to the close", "HTTP/1.1 200 OK\r\nConnection: close\r\n\r\n2.41", true, "2.41"},
    };
    for (const auto& c : cases) {
        LocalHttpServer server([&](const std::string&) { return c.reply; });
        const Fetched result = fetch(server.url("/updates/kvora-2008.txt"));
        EXPECT_EQ(result.ok, c.ok) << c.name;
        EXPECT_EQ(result.text, c.text) << c.name;
    }
}

TEST_F(DownloadTest, ABodyOfSeveralMegabytesArrivesWholeAndInOrder) {
    const std::string body = pattern(3'000'000 + 123);
    LocalHttpServer server([&](const std::string&) { return LocalHttpServer::answer("HTTP/1.1 200 OK", body); });
    const Fetched result = fetch(server.url("/big"));
    ASSERT_TRUE(result.ok);
    EXPECT_TRUE(result.text == body);
}

TEST_F(DownloadTest, ABodyOverSixteenMebibytesFailsInsteadOfFillingMemory) {
    const std::size_t limit = 16u * 1024u * 1024u;
    const std::string atLimit = pattern(limit);
    LocalHttpServer server([&](const std::string& path) {
        return LocalHttpServer::answer("HTTP/1.1 200 OK", path == "/over" ? atLimit + "x" : atLimit);
    });
    EXPECT_EQ(fetch(server.url("/at")).text.size(), limit);
    const Fetched over = fetch(server.url("/over"));
    EXPECT_FALSE(over.ok);
    EXPECT_EQ(over.text, "before");
}

TEST_F(DownloadTest, RedirectsAreFollowedOverHttpOnlyAndAtMostFiveTimes) {
    LocalHttpServer server([](const std::string& path) -> std::optional<std::string> {
        if (path == "/final")
            return LocalHttpServer::answer("HTTP/1.1 200 OK", "2.41");
        if (path == "/to-file")
            return LocalHttpServer::answer("HTTP/1.1 302 Found", "", "Location: file:///etc/hostname\r\n");
        // "/hopN" sends N more redirects before the final page.
        const int hops = std::stoi(path.substr(4));
        const std::string next = hops <= 1 ? "/final" : "/hop" + std::to_string(hops - 1);
        return LocalHttpServer::answer("HTTP/1.1 302 Found", "moved", "Location: " + next + "\r\n");
    });
    const Fetched once = fetch(server.url("/hop1"));
    EXPECT_TRUE(once.ok);
    EXPECT_EQ(once.text, "2.41");
    EXPECT_TRUE(fetch(server.url("/hop5")).ok);
    EXPECT_FALSE(fetch(server.url("/hop6")).ok);
    EXPECT_FALSE(fetch(server.url("/to-file")).ok);
}

TEST_F(DownloadTest, UnreachableOrUnsupportedAddressesFail) {
    for (const std::string& url : {"http://127.0.0.1:" + std::to_string(LocalHttpServer::closedPort()) + "/x",
                                  std::string("file:///etc/hostname"), std::string("not a url")}) {
        const Fetched result = fetch(url);
        EXPECT_FALSE(result.ok) << url;
        EXPECT_EQ(result.text, "before") << url;
    }
}

TEST_F(DownloadTest, CancelEndsTheWaitForAServerThatNeverAnswersAtOnce) {
    LocalHttpServer server([](const std::string&) { return std::nullopt; });
    CurlTransfer transfer;
    WaitingYield events(transfer);
    events.onYield = [&] {
        if (server.connections() > 0)
            transfer.Cancel();
    };
    std::string text = "before";
    const auto start = std::chrono::steady_clock::now();
    EXPECT_FALSE(Pobierz(transfer, events, server.url("/hang"), text));
    EXPECT_LT(std::chrono::steady_clock::now() - start, 10s);
    EXPECT_EQ(text, "before");
    EXPECT_FALSE(transfer.StillExecuting());
}

// The window's wait sleeps until the transfer reports its end, so a request that cannot start must report it too.
TEST_F(DownloadTest, ARequestThatCannotStartReportsItsEndBeforeAnyWait) {
    struct : EventYield {
        bool yield() override {
            EXPECT_TRUE(finished) << "a wait that nothing would end";
            return true;
        }
        bool finished = false;
    } events;
    HelperTransfer missingHelper("/nonexistent/kelvora2008-fetch");
    missingHelper.setFinishedCallback([&] { events.finished = true; });
    std::string text = "before";
    EXPECT_FALSE(Pobierz(missingHelper, events, "http://127.0.0.1:9/", text));
    EXPECT_EQ(text, "before");

    CurlTransfer curl;
    events.finished = false;
    curl.setFinishedCallback([&] { events.finished = true; });
    curl.Execute("http://127.0.0.1:9/", "POST");
    EXPECT_TRUE(events.finished);
    EXPECT_FALSE(curl.StillExecuting());
}

TEST_F(DownloadTest, TheRequestTimeOutEndsTheWaitOtherwise) {
    LocalHttpServer server([](const std::string&) { return std::nullopt; });
    const auto start = std::chrono::steady_clock::now();
    const Fetched result = fetch(server.url("/hang"), TransferOptions{300ms});
    const auto waited = std::chrono::steady_clock::now() - start;
    EXPECT_FALSE(result.ok);
    EXPECT_GE(waited, 250ms);
    EXPECT_LT(waited, 20s);
}

// A transfer whose outcome the test sets, to see what the download does around it.
class ScriptedTransfer : public HttpTransfer {
public:
    void Execute(const std::string& url, const std::string&) override { executed = url; }
    bool StillExecuting() override { return runningPolls-- > 0; }
    std::string GetHeader() override { return header; }
    std::string GetChunk(std::size_t size) override {
        EXPECT_EQ(size, kDownloadChunkSize);
        if (pieces.empty())
            return {};
        std::string piece = pieces.front();
        pieces.erase(pieces.begin());
        return piece;
    }
    void Cancel() override { ++cancels; }

    std::string executed;
    int runningPolls = 0;
    std::string header = "HTTP/1.1 200 OK";
    std::vector<std::string> pieces;
    int cancels = 0;
};

class CountingYield : public EventYield {
public:
    bool yield() override { return ++yields <= allowed; }
    int yields = 0;
    int allowed = 1000;
};

TEST_F(DownloadTest, YieldsAtLeastOnceAndJoinsPiecesInArrivalOrder) {
    ScriptedTransfer transfer;
    transfer.pieces = {"2.", "4", "1"};
    CountingYield events;
    std::string text;
    EXPECT_TRUE(Pobierz(transfer, events, "http://server/x", text));
    EXPECT_EQ(transfer.executed, "http://server/x");
    EXPECT_EQ(events.yields, 1);
    EXPECT_EQ(text, "2.41");
}

TEST_F(DownloadTest, AnEndingEventLoopCancelsTheRequestAndFails) {
    ScriptedTransfer transfer;
    transfer.runningPolls = 1000;
    transfer.header.clear();
    CountingYield events;
    events.allowed = 3;
    std::string text = "before";
    EXPECT_FALSE(Pobierz(transfer, events, "http://server/x", text));
    EXPECT_EQ(transfer.cancels, 1);
    EXPECT_EQ(events.yields, 4);
    EXPECT_EQ(text, "before");
}

} // namespace
} // namespace kelvora

namespace kelvora {
namespace {

std::string headerOf(const std::string& reply, const std::string& path = "/") {
    LocalHttpServer server([&](const std::string& requested) -> std::optional<std::string> {
        if (requested == "/moved")
            return LocalHttpServer::answer("HTTP/1.1 301 Moved Permanently", "", "Location: /\r\n");
        return reply;
    });
    CurlTransfer transfer;
    WaitingYield events(transfer);
    transfer.Execute(server.url(path), "GET");
    while (transfer.StillExecuting())
        events.yield();
    return transfer.GetHeader();
}

TEST_F(DownloadTest, TheHeaderIsTheFinalResponsesBlockAsSent) {
    const std::string reply = LocalHttpServer::answer("HTTP/1.1  200 OK", "2.41", "X-Odd:  spaced \r\n");
    EXPECT_EQ(headerOf(reply), "HTTP/1.1  200 OK\r\nContent-Length: 4\r\nX-Odd:  spaced \r\nConnection: close");
    EXPECT_EQ(headerOf(LocalHttpServer::answer("HTTP/1.0 200 OK", "x"), "/moved"),
              "HTTP/1.0 200 OK\r\nContent-Length: 1\r\nConnection: close");
}

} // namespace
} // namespace kelvora
