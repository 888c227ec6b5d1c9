// Serves arbitrary bytes as the raw answer of a server on 127.0.0.1 to the real download (libcurl transfer, header
// block and body assembly, status judgement), and judges the fuzz bytes' own header block with the status rule.
// Aborts when a download reports success without a "200" status line or with a body over the limit, or when a
// header block does not start with a status line or has a line end other than CR LF. Redirects are refused and proxies
// are off, so nothing leaves this machine.
#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <cstdlib>
#include <mutex>
#include <string>
#include <string_view>
#include <thread>

#include "update/Download.h"
#include "update/transfer/linux/curl/CurlTransfer.h"

namespace {

constexpr std::size_t kBodyLimit = 1024; // small, so short inputs reach the over-long body refusal
constexpr int kWaitMs = 3000;

void check(bool condition) {
    if (!condition)
        std::abort();
}

bool waitFor(int fd, short events) {
    pollfd entry{fd, events, 0};
    return ::poll(&entry, 1, kWaitMs) == 1;
}

// One listening socket for the whole run; each input is one connection.
class RawAnswerServer {
public:
    RawAnswerServer() {
        listener_ = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        socklen_t length = sizeof address;
        check(listener_ >= 0 && ::bind(listener_, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0 &&
              ::listen(listener_, 4) == 0 &&
              ::getsockname(listener_, reinterpret_cast<sockaddr*>(&address), &length) == 0);
        url_ = "http://127.0.0.1:" + std::to_string(ntohs(address.sin_port)) + "/version.txt";
    }

    const std::string& url() const { return url_; }

    // Accepts one connection, reads the request, sends `answer` and closes; gives up when nobody connects.
    void serveOnce(std::string_view answer) const {
        if (!waitFor(listener_, POLLIN))
            return;
        const int client = ::accept4(listener_, nullptr, nullptr, SOCK_CLOEXEC);
        if (client < 0)
            return;
        std::string request;
        char buffer[2048];
        while (request.find("\r\n\r\n") == std::string::npos && waitFor(client, POLLIN)) {
            const ssize_t got = ::recv(client, buffer, sizeof buffer, 0);
            if (got <= 0)
                break;
            request.append(buffer, static_cast<std::size_t>(got));
        }
        while (!answer.empty() && waitFor(client, POLLOUT)) {
            const ssize_t sent = ::send(client, answer.data(), answer.size(), MSG_NOSIGNAL);
            if (sent <= 0)
                break;
            answer.remove_prefix(static_cast<std::size_t>(sent));
        }
        ::shutdown(client, SHUT_WR);
        // Drains what the client still sends, so the close does not reset the connection under its reads.
        while (waitFor(client, POLLIN) && ::recv(client, buffer, sizeof buffer, 0) > 0) {
        }
        ::close(client);
    }

private:
    int listener_ = -1;
    std::string url_;
};

// Sleeps until the transfer reports its end.
class FinishWait : public kelvora::EventYield {
public:
    void finished() {
        std::lock_guard lock(mutex_);
        finished_ = true;
        changed_.notify_all();
    }
    bool yield() override {
        std::unique_lock lock(mutex_);
        changed_.wait_for(lock, std::chrono::milliseconds(50), [this] { return finished_; });
        return true;
    }

private:
    std::mutex mutex_;
    std::condition_variable changed_;
    bool finished_ = false;
};

const RawAnswerServer& server() {
    static const RawAnswerServer instance = [] {
        for (const char* name : {"http_proxy", "HTTP_PROXY", "https_proxy", "HTTPS_PROXY", "all_proxy", "ALL_PROXY"})
            ::unsetenv(name);
        ::setenv("no_proxy", "*", 1);
        return RawAnswerServer();
    }();
    return instance;
}

void checkStatusRuleOnHeaderBlock(std::string_view bytes) {
    const std::string header(bytes.substr(0, bytes.find("\r\n\r\n")));
    const bool ok = kelvora::isStatusOk(header);
    if (ok)
        check(header.find(" 200") != std::string::npos);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view answer(reinterpret_cast<const char*>(data), size);
    checkStatusRuleOnHeaderBlock(answer);

    const RawAnswerServer& local = server();
    kelvora::TransferOptions options;
    options.timeout = std::chrono::milliseconds(5000);
    options.maxBodyBytes = kBodyLimit;
    options.maxRedirects = 0;
    kelvora::CurlTransfer transfer(options);
    FinishWait wait;
    transfer.setFinishedCallback([&wait] { wait.finished(); });

    std::thread serving([&local, answer] { local.serveOnce(answer); });
    std::string body = "untouched";
    const bool ok = kelvora::Pobierz(transfer, wait, local.url(), body);
    serving.join();

    // The header block starts with a status line and joins its lines with CR LF, whatever line ends the server used.
    const std::string header = transfer.GetHeader();
    check(header.empty() || header.rfind("HTTP/", 0) == 0);
    check(header.empty() || header.back() != '\n');
    for (std::size_t lf = header.find('\n'); lf != std::string::npos; lf = header.find('\n', lf + 1))
        check(lf > 0 && header[lf - 1] == '\r');
    if (ok) {
        check(kelvora::isStatusOk(header));
        check(body.size() <= kBodyLimit);
    } else {
        check(body == "untouched");
    }
    return 0;
}
