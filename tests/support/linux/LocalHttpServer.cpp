#include "support/linux/LocalHttpServer.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cstdint>
#include <stdexcept>

namespace kelvora::test {
namespace {

sockaddr_in loopback(int port) {
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(static_cast<std::uint16_t>(port));
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    return address;
}

int boundPort(int fd) {
    sockaddr_in address{};
    socklen_t length = sizeof address;
    getsockname(fd, reinterpret_cast<sockaddr*>(&address), &length);
    return ntohs(address.sin_port);
}

} // namespace

LocalHttpServer::LocalHttpServer(Responder responder) : LocalHttpServer(std::move(responder), Streamer()) {}

LocalHttpServer::LocalHttpServer(Streamer streamer) : LocalHttpServer(Responder(), std::move(streamer)) {}

LocalHttpServer::LocalHttpServer(Responder responder, Streamer streamer)
    : responder_(std::move(responder)), streamer_(std::move(streamer)) {
    listener_ = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in address = loopback(0);
    if (listener_ < 0 || bind(listener_, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 ||
        listen(listener_, 16) != 0 || pipe2(stopPipe_, O_CLOEXEC) != 0)
        throw std::runtime_error("cannot start the local HTTP server");
    port_ = boundPort(listener_);
    acceptor_ = std::thread([this] { acceptLoop(); });
}

LocalHttpServer::~LocalHttpServer() {
    const char stop = 's';
    [[maybe_unused]] auto written = write(stopPipe_[1], &stop, 1);
    acceptor_.join();
    for (std::thread& client : clients_)
        client.join();
    close(listener_);
    close(stopPipe_[0]);
    close(stopPipe_[1]);
}

std::string LocalHttpServer::url(const std::string& path) const {
    return "http://127.0.0.1:" + std::to_string(port_) + path;
}

std::string LocalHttpServer::answer(const std::string& statusLine, const std::string& body,
                                    const std::string& extraHeaders) {
    return statusLine + "\r\nContent-Length: " + std::to_string(body.size()) + "\r\n" + extraHeaders +
           "Connection: close\r\n\r\n" + body;
}

int LocalHttpServer::closedPort() {
    const int fd = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in address = loopback(0);
    (void)bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address);
    const int port = boundPort(fd);
    close(fd);
    return port;
}

// True when `fd` is ready; false once the server is stopping.
bool LocalHttpServer::waitFor(int fd, short events) const {
    pollfd watched[2] = {{fd, events, 0}, {stopPipe_[0], POLLIN, 0}};
    while (poll(watched, 2, -1) < 0) {
    }
    return (watched[1].revents & POLLIN) == 0;
}

void LocalHttpServer::acceptLoop() {
    while (waitFor(listener_, POLLIN)) {
        const int client = accept4(listener_, nullptr, nullptr, SOCK_CLOEXEC);
        if (client < 0)
            continue;
        ++connections_;
        std::lock_guard lock(clientsMutex_);
        clients_.emplace_back([this, client] { serve(client); });
    }
}

void LocalHttpServer::serve(int client) {
    std::string request;
    char buffer[4096];
    while (request.find("\r\n\r\n") == std::string::npos) {
        if (!waitFor(client, POLLIN))
            break;
        const ssize_t received = recv(client, buffer, sizeof buffer, 0);
        if (received <= 0)
            break;
        request.append(buffer, static_cast<std::size_t>(received));
    }
    if (streamer_) {
        Connection out(*this, client);
        streamer_(request, out);
        shutdown(client, SHUT_WR);
        close(client);
        return;
    }
    // The request line is "GET <path> HTTP/1.1".
    const std::size_t pathStart = request.find(' ') + 1;
    const std::string path = request.substr(pathStart, request.find(' ', pathStart) - pathStart);
    const std::optional<std::string> reply = responder_(path);
    if (!reply) {
        waitFor(stopPipe_[0], POLLIN); // accepted, never answered: hold on until the server stops
    } else {
        std::size_t sent = 0;
        while (sent < reply->size() && waitFor(client, POLLOUT)) {
            const ssize_t count = send(client, reply->data() + sent, reply->size() - sent, MSG_NOSIGNAL);
            if (count <= 0)
                break;
            sent += static_cast<std::size_t>(count);
        }
        shutdown(client, SHUT_WR);
    }
    close(client);
}

bool LocalHttpServer::Connection::send(std::string_view bytes) {
    while (!bytes.empty()) {
        if (!server_.waitFor(client_, POLLOUT))
            return false;
        const ssize_t count = ::send(client_, bytes.data(), bytes.size(), MSG_NOSIGNAL);
        if (count <= 0)
            return false;
        bytes.remove_prefix(static_cast<std::size_t>(count));
    }
    return true;
}

bool LocalHttpServer::Connection::pause(std::chrono::milliseconds duration) {
    pollfd stop{server_.stopPipe_[0], POLLIN, 0};
    return poll(&stop, 1, static_cast<int>(duration.count())) <= 0;
}

} // namespace kelvora::test
