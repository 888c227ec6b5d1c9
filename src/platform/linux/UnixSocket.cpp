#include "platform/linux/UnixSocket.h"

#include <poll.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

namespace kelvora {
namespace {

bool waitReadable(int fd, int timeoutMs) {
    pollfd entry{fd, POLLIN, 0};
    int ready = 0;
    do
        ready = ::poll(&entry, 1, timeoutMs);
    while (ready < 0 && errno == EINTR);
    return ready > 0;
}

} // namespace

SocketFd::~SocketFd() {
    reset();
}

SocketFd& SocketFd::operator=(SocketFd&& other) noexcept {
    if (this != &other) {
        reset();
        fd_ = other.fd_;
        other.fd_ = -1;
    }
    return *this;
}

void SocketFd::reset() {
    if (fd_ >= 0)
        ::close(fd_);
    fd_ = -1;
}

bool isSocketFile(const std::string& path) {
    struct stat info {};
    return !path.empty() && ::stat(path.c_str(), &info) == 0 && S_ISSOCK(info.st_mode);
}

SocketFd connectUnixSocket(const std::string& path) {
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    if (path.empty() || path.size() >= sizeof address.sun_path)
        return {};
    std::memcpy(address.sun_path, path.c_str(), path.size());
    SocketFd socket(::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0));
    if (!socket.valid() || ::connect(socket.get(), reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0)
        return {};
    return socket;
}

bool peerSharesOurPids(const SocketFd& socket) {
    ucred peer{};
    socklen_t size = sizeof peer;
    if (::getsockopt(socket.get(), SOL_SOCKET, SO_PEERCRED, &peer, &size) != 0 || peer.pid <= 0)
        return false;
    // The kernel gives the peer's pid in our namespace, 0 when the peer lives outside it. Its own view must agree:
    // a compositor in a namespace below ours would report pids of its own.
    char link[64] = {};
    char ours[64] = {};
    const std::string theirs = "/proc/" + std::to_string(peer.pid) + "/ns/pid";
    return ::readlink(theirs.c_str(), link, sizeof link - 1) > 0 &&
           ::readlink("/proc/self/ns/pid", ours, sizeof ours - 1) > 0 && std::strcmp(link, ours) == 0;
}

bool writeAll(const SocketFd& socket, const std::string& data) {
    std::size_t done = 0;
    while (done < data.size()) {
        const ssize_t n = ::send(socket.get(), data.data() + done, data.size() - done, MSG_NOSIGNAL);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return false;
        done += static_cast<std::size_t>(n);
    }
    return true;
}

bool readExactly(const SocketFd& socket, char* out, std::size_t size, int timeoutMs) {
    std::size_t done = 0;
    while (done < size) {
        if (!waitReadable(socket.get(), timeoutMs))
            return false;
        const ssize_t n = ::recv(socket.get(), out + done, size - done, 0);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return false;
        done += static_cast<std::size_t>(n);
    }
    return true;
}

bool readToEnd(const SocketFd& socket, std::string& out, std::size_t limit, int timeoutMs) {
    char buffer[4096];
    for (;;) {
        if (!waitReadable(socket.get(), timeoutMs))
            return false;
        const ssize_t n = ::recv(socket.get(), buffer, sizeof buffer, 0);
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0)
            return false;
        if (n == 0)
            return true;
        out.append(buffer, static_cast<std::size_t>(n));
        if (out.size() > limit)
            return false;
    }
}

bool readable(const SocketFd& socket) {
    return waitReadable(socket.get(), 0);
}

} // namespace kelvora
