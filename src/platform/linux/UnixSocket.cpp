#include "platform/linux/UnixSocket.h"

#include <fcntl.h>
#include <poll.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

namespace kelvora {
namespace {

enum class Wait { Ready, TimedOut, Cancelled };

Wait waitFor(int fd, short events, const Deadline& deadline) {
    pollfd entries[2] = {{fd, events, 0}, {deadline.cancelFd, POLLIN, 0}};
    const nfds_t count = deadline.cancelFd >= 0 ? 2 : 1;
    for (;;) {
        const int ready = ::poll(entries, count, deadline.remainingMs());
        if (ready < 0 && errno == EINTR)
            continue;
        if (ready <= 0)
            return Wait::TimedOut;
        if (count == 2 && entries[1].revents != 0)
            return Wait::Cancelled;
        return Wait::Ready;
    }
}

bool waitReadable(int fd, const Deadline& deadline) {
    return waitFor(fd, POLLIN, deadline) == Wait::Ready;
}

// A folder or file no one but us (or root) could have replaced or written.
bool safeEntry(const struct stat& info, uid_t us, bool folder) {
    if (info.st_uid != us && info.st_uid != 0)
        return false;
    const bool othersWrite = (info.st_mode & (S_IWGRP | S_IWOTH)) != 0;
    // Root's sticky folders (/tmp) let others add entries but not replace ours.
    return !othersWrite || (folder && info.st_uid == 0 && (info.st_mode & S_ISVTX) != 0);
}

} // namespace

int Deadline::remainingMs() const {
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(end - std::chrono::steady_clock::now());
    return left.count() > 0 ? static_cast<int>(left.count()) : 0;
}

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

bool isOurOwnSocket(const std::string& path) {
    const uid_t us = ::geteuid();
    struct stat info {};
    if (path.empty() || path[0] != '/' || ::lstat(path.c_str(), &info) != 0 || !S_ISSOCK(info.st_mode) ||
        !safeEntry(info, us, false))
        return false;
    for (std::string folder = path.substr(0, path.rfind('/'));; folder = folder.substr(0, folder.rfind('/'))) {
        const std::string name = folder.empty() ? "/" : folder;
        if (::lstat(name.c_str(), &info) != 0 || !S_ISDIR(info.st_mode) || !safeEntry(info, us, true))
            return false;
        if (folder.empty())
            return true;
    }
}

SocketFd connectUnixSocket(const std::string& path) {
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    if (path.empty() || path.size() >= sizeof address.sun_path)
        return {};
    std::memcpy(address.sun_path, path.c_str(), path.size());
    // Non-blocking: a server whose backlog is full would otherwise hold connect() for as long as it likes.
    SocketFd socket(::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0));
    if (!socket.valid() || ::connect(socket.get(), reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0)
        return {};
    return socket;
}

std::uint32_t peerProcess(const SocketFd& socket) {
    ucred peer{};
    socklen_t size = sizeof peer;
    if (!socket.valid() || ::getsockopt(socket.get(), SOL_SOCKET, SO_PEERCRED, &peer, &size) != 0 || peer.pid <= 0)
        return 0;
    return static_cast<std::uint32_t>(peer.pid);
}

bool peerIsOurUser(const SocketFd& socket) {
    ucred peer{};
    socklen_t size = sizeof peer;
    return socket.valid() && ::getsockopt(socket.get(), SOL_SOCKET, SO_PEERCRED, &peer, &size) == 0 &&
           peer.uid == ::geteuid();
}

bool peerSharesOurPids(const SocketFd& socket) {
    // The kernel gives the peer's pid in our namespace, 0 when the peer lives outside it. Its own view must agree:
    // a compositor in a namespace below ours would report pids of its own.
    const std::uint32_t pid = peerProcess(socket);
    if (pid == 0)
        return false;
    char link[64] = {};
    char ours[64] = {};
    const std::string theirs = "/proc/" + std::to_string(pid) + "/ns/pid";
    return ::readlink(theirs.c_str(), link, sizeof link - 1) > 0 &&
           ::readlink("/proc/self/ns/pid", ours, sizeof ours - 1) > 0 && std::strcmp(link, ours) == 0;
}

bool writeAll(const SocketFd& socket, const std::string& data, const Deadline& deadline) {
    std::size_t done = 0;
    while (done < data.size()) {
        const ssize_t n = ::send(socket.get(), data.data() + done, data.size() - done, MSG_NOSIGNAL);
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0 && errno == EAGAIN && waitFor(socket.get(), POLLOUT, deadline) == Wait::Ready)
            continue;
        if (n <= 0)
            return false;
        done += static_cast<std::size_t>(n);
    }
    return true;
}

bool readExactly(const SocketFd& socket, char* out, std::size_t size, const Deadline& deadline) {
    std::size_t done = 0;
    while (done < size) {
        if (!waitReadable(socket.get(), deadline))
            return false;
        const ssize_t n = ::recv(socket.get(), out + done, size - done, 0);
        if (n < 0 && (errno == EINTR || errno == EAGAIN))
            continue;
        if (n <= 0)
            return false;
        done += static_cast<std::size_t>(n);
    }
    return true;
}

bool readToEnd(const SocketFd& socket, std::string& out, std::size_t limit, const Deadline& deadline) {
    char buffer[4096];
    for (;;) {
        if (!waitReadable(socket.get(), deadline))
            return false;
        const ssize_t n = ::recv(socket.get(), buffer, sizeof buffer, 0);
        if (n < 0 && (errno == EINTR || errno == EAGAIN))
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
    return waitReadable(socket.get(), Deadline{});
}

} // namespace kelvora
