#pragma once

#include <cstddef>
#include <string>

namespace kelvora {

// A file descriptor closed when it goes out of scope.
class SocketFd {
public:
    SocketFd() = default;
    explicit SocketFd(int fd) : fd_(fd) {}
    ~SocketFd();
    SocketFd(SocketFd&& other) noexcept : fd_(other.fd_) { other.fd_ = -1; }
    SocketFd& operator=(SocketFd&& other) noexcept;
    SocketFd(const SocketFd&) = delete;
    SocketFd& operator=(const SocketFd&) = delete;

    int get() const { return fd_; }
    bool valid() const { return fd_ >= 0; }
    void reset();

private:
    int fd_ = -1;
};

bool isSocketFile(const std::string& path);
// A connected stream socket, or an invalid one.
SocketFd connectUnixSocket(const std::string& path);
// Whether the process at the other end lives in our PID namespace, so the pids it hands out are ours.
bool peerSharesOurPids(const SocketFd& socket);
bool writeAll(const SocketFd& socket, const std::string& data);
// Reads exactly `size` bytes, waiting at most `timeoutMs` for each part; false on end, error or timeout.
bool readExactly(const SocketFd& socket, char* out, std::size_t size, int timeoutMs);
// Reads until the other end closes, at most `limit` bytes; false on error, timeout or overflow.
bool readToEnd(const SocketFd& socket, std::string& out, std::size_t limit, int timeoutMs);
// Whether data (or the end) is waiting to be read now.
bool readable(const SocketFd& socket);

} // namespace kelvora
