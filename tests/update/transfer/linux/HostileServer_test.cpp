// The download against servers that misbehave on purpose: each must end in a plain failure (or the sound part of
// the answer) without a crash, without waiting past the time-out and without holding more than the body limit.
#include <gtest/gtest.h>

#include <array>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <mutex>
#include <optional>

#include "support/linux/LocalHttpServer.h"
#include "update/Download.h"
#include "update/transfer/linux/curl/CurlTransfer.h"

namespace kelvora {
namespace {

using namespace std::chrono_literals;
using test::LocalHttpServer;
using Clock = std::chrono::steady_clock;

// Sleeps until the transfer reports its end, like the window's event loop does.
class SleepingYield : public EventYield {
public:
    explicit SleepingYield(CurlTransfer& transfer) {
        transfer.setFinishedCallback([this] {
            std::lock_guard lock(mutex_);
            woken_ = true;
            wake_.notify_all();
        });
    }
    bool yield() override {
        std::unique_lock lock(mutex_);
        wake_.wait_for(lock, 50ms, [this] { return woken_; });
        woken_ = false;
        return true;
    }

private:
    std::mutex mutex_;
    std::condition_variable wake_;
    bool woken_ = false;
};

struct Outcome {
    bool ok;
    std::string text;
    Clock::duration waited;
};

// With KELVORA_FETCH_COMMAND set, another transfer fetches (the WinHTTP one under Wine, run as
// "COMMAND URL TIMEOUT_MS" and answering "1|0", the milliseconds waited and the text on lines of their own);
// the servers stay here.
std::optional<Outcome> fetchWithCommand(const std::string& url, std::chrono::milliseconds timeout) {
    const char* command = std::getenv("KELVORA_FETCH_COMMAND");
    if (command == nullptr)
        return std::nullopt;
    FILE* pipe = popen((std::string(command) + " '" + url + "' " + std::to_string(timeout.count())).c_str(), "r");
    std::string output;
    char buffer[65536];
    for (std::size_t got; pipe != nullptr && (got = std::fread(buffer, 1, sizeof buffer, pipe)) > 0;)
        output.append(buffer, got);
    if (pipe != nullptr)
        pclose(pipe);
    const std::size_t first = output.find('\n');
    const std::size_t second = output.find('\n', first + 1);
    if (first != 1 || second == std::string::npos)
        return Outcome{false, "no answer from " + std::string(command), {}};
    return Outcome{output[0] == '1', output.substr(second + 1),
                   std::chrono::milliseconds(std::stol(output.substr(2, second - 2)))};
}

Outcome fetch(const std::string& url, std::chrono::milliseconds timeout) {
    if (auto outcome = fetchWithCommand(url, timeout))
        return *outcome;
    CurlTransfer transfer(TransferOptions{timeout});
    SleepingYield events(transfer);
    std::string text = "before";
    const auto start = Clock::now();
    const bool ok = Pobierz(transfer, events, url, text);
    return {ok, text, Clock::now() - start};
}

std::string pathOf(const std::string& request) {
    const std::size_t start = request.find(' ') + 1;
    return request.substr(start, request.find(' ', start) - start);
}

long statusKiB(const char* field) {
    std::ifstream status("/proc/self/status");
    for (std::string line; std::getline(status, line);)
        if (line.rfind(field, 0) == 0)
            return std::stol(line.substr(std::string(field).size()));
    return -1;
}

#if defined(__SANITIZE_ADDRESS__)
#define KELVORA_ADDRESS_SANITIZER 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define KELVORA_ADDRESS_SANITIZER 1
#endif
#endif

// How far the peak may rise for one hostile answer. The sanitizer's quarantine keeps freed buffers resident, so its
// builds get more room; the servers stop on their own after 256 MiB, so unbounded growth still fails either way.
#ifdef KELVORA_ADDRESS_SANITIZER
constexpr long kPeakGrowthBoundMiB = 160;
#else
constexpr long kPeakGrowthBoundMiB = 64;
#endif

// Measures how far the process's resident memory peaked above where it stood when this was made.
class PeakGrowth {
public:
    PeakGrowth() {
        // Resets the peak, so a larger one from an earlier test cannot hide growth here.
        std::ofstream("/proc/self/clear_refs") << "5";
        start_ = statusKiB("VmRSS:");
    }
    long mebibytes() const { return (statusKiB("VmHWM:") - start_) / 1024; }

private:
    long start_;
};

// A literal with its NUL bytes kept.
template <std::size_t N> std::string bytes(const char (&literal)[N]) {
    return std::string(literal, N - 1);
}

// Deterministic bytes of every value, NUL and CR LF included.
std::string garbage(std::size_t size) {
    std::string noise(size, '\0');
    std::uint32_t state = 2008;
    for (char& byte : noise) {
        state = state * 1664525u + 1013904223u;
        byte = static_cast<char>(state >> 24);
    }
    return noise;
}

// A valid gzip member that inflates to `repeats` * 258 + 1 zero bytes from about 13 bits per 258.
std::string gzipOfZeros(std::size_t repeats) {
    std::string out("\x1f\x8b\x08\0\0\0\0\0\0\x03", 10);
    std::uint32_t bits = 0;
    int count = 0;
    const auto put = [&](std::uint32_t value, int width) { // LSB first, as deflate packs its bit stream
        bits |= value << count;
        count += width;
        for (; count >= 8; count -= 8, bits >>= 8)
            out += static_cast<char>(bits & 0xff);
    };
    const auto putCode = [&](std::uint32_t code, int width) { // Huffman codes go most significant bit first
        for (int bit = width - 1; bit >= 0; --bit)
            put((code >> bit) & 1u, 1);
    };
    put(1, 1);        // the last block
    put(1, 2);        // fixed Huffman codes
    putCode(0x30, 8); // literal 0
    for (std::size_t i = 0; i < repeats; ++i) {
        putCode(0xc5, 8); // length 258
        putCode(0, 5);    // distance 1
    }
    putCode(0, 7); // end of block
    put(0, 7);     // pad to a byte
    const std::size_t size = repeats * 258 + 1;
    std::array<std::uint32_t, 256> table{};
    for (std::uint32_t n = 0; n < 256; ++n) {
        std::uint32_t c = n;
        for (int k = 0; k < 8; ++k)
            c = (c & 1u) ? 0xedb88320u ^ (c >> 1) : c >> 1;
        table[n] = c;
    }
    std::uint32_t crc = 0xffffffffu;
    for (std::size_t i = 0; i < size; ++i)
        crc = table[crc & 0xffu] ^ (crc >> 8);
    crc ^= 0xffffffffu;
    for (const std::uint32_t word : {crc, static_cast<std::uint32_t>(size)})
        for (int shift = 0; shift < 32; shift += 8)
            out += static_cast<char>((word >> shift) & 0xffu);
    return out;
}

constexpr auto kShortTimeOut = 1500ms;
// For answers that must end by themselves: long enough that ending early proves it was not the time-out.
constexpr auto kLongTimeOut = 30s;
constexpr auto kSlack = 5s;

class HostileServerTest : public ::testing::Test {
protected:
    void SetUp() override {
        // The tests talk to 127.0.0.1 only; a proxy from the environment must not get in between.
        for (const char* name : {"http_proxy", "HTTP_PROXY", "https_proxy", "HTTPS_PROXY", "all_proxy", "ALL_PROXY"})
            unsetenv(name);
    }
};

TEST_F(HostileServerTest, ADripOfOneBytePerSecondEndsAtTheTimeOut) {
    const struct {
        const char* name;
        std::string prefix; // sent at once, then the drip
        std::string drip;
    } cases[] = {
        {"status line", "", "HTTP/1.1 200 OK\r\nContent-Length: 4\r\n\r\n2.41"},
        {"body without an end", "HTTP/1.1 200 OK\r\nConnection: close\r\n\r\n", std::string(100, '7')},
    };
    for (const auto& c : cases) {
        LocalHttpServer server([&](const std::string&, LocalHttpServer::Connection& out) {
            if (!out.send(c.prefix))
                return;
            for (const char byte : c.drip)
                if (!out.send(std::string_view(&byte, 1)) || !out.pause(1s))
                    return;
        });
        const Outcome result = fetch(server.url("/drip"), kShortTimeOut);
        EXPECT_FALSE(result.ok) << c.name;
        EXPECT_EQ(result.text, "before") << c.name;
        EXPECT_GE(result.waited, kShortTimeOut - 100ms) << c.name;
        EXPECT_LT(result.waited, kShortTimeOut + kSlack) << c.name;
    }
}

TEST_F(HostileServerTest, EndlessOrHugeHeadersFailWithoutFillingMemory) {
    const std::string megabyte(1024 * 1024, 'h');
    const struct {
        const char* name;
        std::function<void(LocalHttpServer::Connection&)> send;
    } cases[] = {
        {"endless header lines",
         [](LocalHttpServer::Connection& out) {
             if (!out.send("HTTP/1.1 200 OK\r\n"))
                 return;
             const std::string line = "X-Filler: " + std::string(90, 'f') + "\r\n";
             std::string block;
             for (int i = 0; i < 1000; ++i)
                 block += line;
             // Stops on its own after 256 MiB, should the client never give up.
             for (int i = 0; i < 2684 && out.send(block); ++i) {
             }
         }},
        {"1 MB header line",
         [&](LocalHttpServer::Connection& out) {
             out.send("HTTP/1.1 200 OK\r\nX-Long: " + megabyte + "\r\nContent-Length: 4\r\n\r\n2.41");
         }},
        {"80 KiB of short header lines, under libcurl's own limits",
         [](LocalHttpServer::Connection& out) {
             std::string block = "HTTP/1.1 200 OK\r\nContent-Length: 4\r\n";
             for (int i = 0; i < 800; ++i)
                 block += "X-Filler: " + std::string(88, 'f') + "\r\n";
             out.send(block + "\r\n2.41");
         }},
        {"1 MB status line",
         [&](LocalHttpServer::Connection& out) {
             out.send("HTTP/1.1 200 " + megabyte + "\r\nContent-Length: 4\r\n\r\n2.41");
         }},
    };
    for (const auto& c : cases) {
        LocalHttpServer server([&](const std::string&, LocalHttpServer::Connection& out) { c.send(out); });
        const PeakGrowth memory;
        const Outcome result = fetch(server.url("/headers"), kLongTimeOut);
        EXPECT_FALSE(result.ok) << c.name;
        EXPECT_EQ(result.text, "before") << c.name;
        EXPECT_LT(result.waited, kLongTimeOut - kSlack) << c.name;
        EXPECT_LT(memory.mebibytes(), kPeakGrowthBoundMiB) << c.name;
    }
}

TEST_F(HostileServerTest, ABodyThatNeverEndsStopsAtTheLimit) {
    const struct {
        const char* name;
        std::string head;
        std::string piece;
    } cases[] = {
        {"until the close", "HTTP/1.1 200 OK\r\nConnection: close\r\n\r\n", std::string(64 * 1024, 'b')},
        {"declared huge", "HTTP/1.1 200 OK\r\nContent-Length: 100000000000\r\n\r\n", std::string(64 * 1024, 'b')},
        {"endless chunks", "HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked\r\n\r\n",
         "10000\r\n" + std::string(64 * 1024, 'c') + "\r\n"},
    };
    for (const auto& c : cases) {
        LocalHttpServer server([&](const std::string&, LocalHttpServer::Connection& out) {
            // Stops on its own after 256 MiB, should the client never give up.
            for (int i = 0; i < 4096 && out.send(i == 0 ? c.head + c.piece : c.piece); ++i) {
            }
        });
        const PeakGrowth memory;
        const Outcome result = fetch(server.url("/endless"), kLongTimeOut);
        EXPECT_FALSE(result.ok) << c.name;
        EXPECT_EQ(result.text, "before") << c.name;
        EXPECT_LT(result.waited, kLongTimeOut - kSlack) << c.name;
        EXPECT_LT(memory.mebibytes(), kPeakGrowthBoundMiB) << c.name;
    }
}

TEST_F(HostileServerTest, AContentLengthThatLiesYieldsTheDeclaredBodyOrFails) {
    const struct {
        const char* name;
        std::string reply;
        bool holdOpen; // keeps the connection open after the reply instead of closing it
        bool ok;
        std::string text;
    } cases[] = {
        {"more than declared, then close", "HTTP/1.1 200 OK\r\nContent-Length: 4\r\n\r\n2.41 and more", false, true,
         "2.41"},
        {"more than declared, held open", "HTTP/1.1 200 OK\r\nContent-Length: 4\r\n\r\n2.41 and more", true, true,
         "2.41"},
        {"less than declared, then close", "HTTP/1.1 200 OK\r\nContent-Length: 400\r\n\r\n2.41", false, false,
         "before"},
        {"less than declared, held open", "HTTP/1.1 200 OK\r\nContent-Length: 400\r\n\r\n2.41", true, false, "before"},
        {"chunk cut short", "HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked\r\n\r\n10\r\n2.41", false, false, "before"},
    };
    for (const auto& c : cases) {
        LocalHttpServer server([&](const std::string&, LocalHttpServer::Connection& out) {
            if (out.send(c.reply) && c.holdOpen)
                out.pause(10s);
        });
        const Outcome result = fetch(server.url("/lies"), kShortTimeOut);
        EXPECT_EQ(result.ok, c.ok) << c.name;
        EXPECT_EQ(result.text, c.text) << c.name;
        EXPECT_LT(result.waited, kShortTimeOut + kSlack) << c.name;
    }
}

TEST_F(HostileServerTest, ACutOffStatusLineOrGarbageInsteadOfHttpFails) {
    const std::string noise = garbage(64 * 1024);
    const struct {
        const char* name;
        std::string reply;
    } cases[] = {
        {"nothing", ""},
        {"cut in the version", "HTT"},
        {"cut in the code", "HTTP/1.1 20"},
        {"cut before the line end", "HTTP/1.1 200 OK"},
        {"cut after the status line", "HTTP/1.1 200 OK\r\n"},
        {"cut in a header", "HTTP/1.1 200 OK\r\nContent-Len"},
        {"binary garbage", noise},
        {"NUL bytes", std::string(4096, '\0')},
        {"garbage after the status line", "HTTP/1.1 200 OK\r\n" + noise},
        {"NUL inside a header", bytes("HTTP/1.1 200 OK\r\nX-A: a\0b\r\nContent-Length: 4\r\n\r\n2.41")},
        {"status code as garbage", bytes("HTTP/1.1 2\x00\xff OK\r\nContent-Length: 4\r\n\r\n2.41")},
    };
    for (const auto& c : cases) {
        LocalHttpServer server([&](const std::string&, LocalHttpServer::Connection& out) { out.send(c.reply); });
        const Outcome result = fetch(server.url("/cut"), kLongTimeOut);
        EXPECT_FALSE(result.ok) << c.name;
        EXPECT_EQ(result.text, "before") << c.name;
        EXPECT_LT(result.waited, kLongTimeOut - kSlack) << c.name;
    }
}

TEST_F(HostileServerTest, ARedirectLoopStopsAfterFiveHops) {
    LocalHttpServer server([](const std::string& request, LocalHttpServer::Connection& out) {
        const std::string path = pathOf(request);
        const std::string next = path == "/self" ? "/self" : path == "/a" ? "/b" : "/a";
        out.send(LocalHttpServer::answer("HTTP/1.1 302 Found", "moved", "Location: " + next + "\r\n"));
    });
    for (const char* start : {"/self", "/a"}) {
        const int before = server.connections();
        const Outcome result = fetch(server.url(start), kLongTimeOut);
        EXPECT_FALSE(result.ok) << start;
        EXPECT_EQ(result.text, "before") << start;
        EXPECT_LT(result.waited, kLongTimeOut - kSlack) << start;
        EXPECT_LE(server.connections() - before, 6) << start;
    }
}

TEST_F(HostileServerTest, ARedirectToAnotherSchemeIsNotFollowed) {
    // Whatever the scheme, nothing may connect here.
    LocalHttpServer trap([](const std::string&) { return LocalHttpServer::answer("HTTP/1.1 200 OK", "2.41"); });
    const std::string target = "127.0.0.1:" + std::to_string(trap.port()) + "/x";
    for (const std::string& location :
         {"ftp://" + target, std::string("file:///etc/hostname"), "telnet://" + target, "dict://" + target,
          "gopher://" + target, "scp://" + target, "ldap://" + target, "smtp://" + target}) {
        LocalHttpServer server([&](const std::string&) {
            return LocalHttpServer::answer("HTTP/1.1 301 Moved Permanently", "", "Location: " + location + "\r\n");
        });
        const Outcome result = fetch(server.url("/away"), kLongTimeOut);
        EXPECT_FALSE(result.ok) << location;
        EXPECT_EQ(result.text, "before") << location;
        EXPECT_LT(result.waited, kLongTimeOut - kSlack) << location;
    }
    EXPECT_EQ(trap.connections(), 0);
}

TEST_F(HostileServerTest, CompressionIsNotOfferedAndAGzipBombStaysCompressed) {
    const std::string bomb = gzipOfZeros(260'000); // about 420 KB that would inflate to 64 MiB
    ASSERT_LT(bomb.size(), 1'000'000u);
    std::mutex mutex;
    std::vector<std::string> requests;
    LocalHttpServer server([&](const std::string& request, LocalHttpServer::Connection& out) {
        {
            std::lock_guard lock(mutex);
            requests.push_back(request);
        }
        if (pathOf(request) == "/content")
            out.send(LocalHttpServer::answer("HTTP/1.1 200 OK", bomb, "Content-Encoding: gzip\r\n"));
        else
            out.send("HTTP/1.1 200 OK\r\nTransfer-Encoding: gzip\r\nConnection: close\r\n\r\n" + bomb);
    });
    const PeakGrowth memory;
    const Outcome content = fetch(server.url("/content"), kLongTimeOut);
    EXPECT_TRUE(content.ok);
    EXPECT_TRUE(content.text == bomb) << "a reply of " << content.text.size() << " bytes";
    // libcurl inflates a transfer coding even unasked; the body limit then refuses the bomb.
    const Outcome transfer = fetch(server.url("/transfer"), kLongTimeOut);
    EXPECT_TRUE(!transfer.ok || transfer.text == bomb) << "a reply of " << transfer.text.size() << " bytes";
    EXPECT_LT(memory.mebibytes(), kPeakGrowthBoundMiB);
    std::lock_guard lock(mutex);
    ASSERT_EQ(requests.size(), 2u);
    for (const std::string& request : requests) {
        EXPECT_EQ(request.find("ccept-Encoding"), std::string::npos) << request;
        EXPECT_EQ(request.find("TE:"), std::string::npos) << request;
    }
}

} // namespace
} // namespace kelvora
