#pragma once

#include <atomic>
#include <functional>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <vector>

namespace kelvora::test {

// An HTTP server on 127.0.0.1 that answers each request with the raw bytes a test chooses.
class LocalHttpServer {
public:
    // The raw answer (status line, headers, body) for a request path; nothing keeps the connection open unanswered.
    using Responder = std::function<std::optional<std::string>(const std::string& path)>;

    explicit LocalHttpServer(Responder responder);
    ~LocalHttpServer();
    LocalHttpServer(const LocalHttpServer&) = delete;
    LocalHttpServer& operator=(const LocalHttpServer&) = delete;

    int port() const { return port_; }
    std::string url(const std::string& path) const;
    // Connections accepted so far.
    int connections() const { return connections_; }

    // A complete answer with a Content-Length header.
    static std::string answer(const std::string& statusLine, const std::string& body,
                              const std::string& extraHeaders = "");
    // A port on 127.0.0.1 that nothing listens on.
    static int closedPort();

private:
    void acceptLoop();
    void serve(int client);
    bool waitFor(int fd, short events) const;

    Responder responder_;
    int listener_ = -1;
    int stopPipe_[2] = {-1, -1};
    int port_ = 0;
    std::atomic<int> connections_{0};
    std::thread acceptor_;
    std::mutex clientsMutex_;
    std::vector<std::thread> clients_;
};

} // namespace kelvora::test
