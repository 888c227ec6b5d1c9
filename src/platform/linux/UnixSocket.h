#pragma once

#include <chrono>
#include <cstddef>
#include <cstdint>
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

// When a whole exchange must be over, and a descriptor that ends it early once readable (-1: none).
struct Deadline {
    std::chrono::steady_clock::time_point end;
    int cancelFd = -1;

    static Deadline in(std::chrono::milliseconds span, int cancelFd = -1) {
        return {std::chrono::steady_clock::now() + span, cancelFd};
    }
    // Milliseconds left, 0 once it has passed.
    int remainingMs() const;
};

bool isSocketFile(const std::string& path);
// Whether `path` is a socket that only this user could have put there: it, and every folder above it, belong to
// us and no one else may write to them (a folder of root's may be writable by others only when it is sticky).
bool isOurOwnSocket(const std::string& path);
// A connected, non-blocking stream socket, or an invalid one; never waits for a server that does not accept.
SocketFd connectUnixSocket(const std::string& path);
// The process at the other end as the kernel saw it connect; 0 when unknown or outside our PID namespace.
std::uint32_t peerProcess(const SocketFd& socket);
// Whether the other end runs as our own effective user.
bool peerIsOurUser(const SocketFd& socket);
// Whether the process at the other end lives in our PID namespace, so the pids it hands out are ours.
bool peerSharesOurPids(const SocketFd& socket);
bool writeAll(const SocketFd& socket, const std::string& data, const Deadline& deadline);
// Reads exactly `size` bytes before the deadline; false on end, error or time out.
bool readExactly(const SocketFd& socket, char* out, std::size_t size, const Deadline& deadline);
// Reads until the other end closes, at most `limit` bytes; false on error, time out or overflow.
bool readToEnd(const SocketFd& socket, std::string& out, std::size_t limit, const Deadline& deadline);
// Whether data (or the end) is waiting to be read now.
bool readable(const SocketFd& socket);

} // namespace kelvora
