#pragma once

#include <atomic>
#include <chrono>
#include <functional>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

namespace kelvora::test {

// An HTTP server on 127.0.0.1 that answers each request with the raw bytes a test chooses.
class LocalHttpServer {
public:
    // The raw answer (status line, headers, body) for a request path; nothing keeps the connection open unanswered.
    using Responder = std::function<std::optional<std::string>(const std::string& path)>;

    // The open connection a Streamer writes to at its own pace, for answers that are slow, endless or cut off.
    class Connection {
    public:
        // False once the client has gone or the server is stopping.
        bool send(std::string_view bytes);
        // Waits `duration`; false when the server is stopping meanwhile.
        bool pause(std::chrono::milliseconds duration);

    private:
        friend class LocalHttpServer;
        Connection(const LocalHttpServer& server, int client) : server_(server), client_(client) {}
        const LocalHttpServer& server_;
        int client_;
    };
    // Writes the answer to a request (given raw, request line and headers) itself; the connection closes on return.
    using Streamer = std::function<void(const std::string& request, Connection& out)>;

    explicit LocalHttpServer(Responder responder);
    explicit LocalHttpServer(Streamer streamer);
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
    LocalHttpServer(Responder responder, Streamer streamer);
    void acceptLoop();
    void serve(int client);
    bool waitFor(int fd, short events) const;

    Responder responder_;
    Streamer streamer_;
    int listener_ = -1;
    int stopPipe_[2] = {-1, -1};
    int port_ = 0;
    std::atomic<int> connections_{0};
    std::thread acceptor_;
    std::mutex clientsMutex_;
    std::vector<std::thread> clients_;
};

} // namespace kelvora::test
