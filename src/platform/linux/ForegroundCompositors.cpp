// The focused window as Wayland compositors with an IPC socket tell it: sway and other compositors that speak
// i3's IPC (the tree once, then window events), and Hyprland.
#include <cstdint>
#include <cstring>
#include <memory>
#include <optional>
#include <string>
#include <utility>

#include "platform/linux/ForegroundSession.h"
#include "platform/linux/ForegroundSources.h"
#include "platform/linux/UnixSocket.h"

namespace kelvora {
namespace {

constexpr char kMagic[] = "i3-ipc";
constexpr std::size_t kMagicSize = 6;
constexpr std::uint32_t kSubscribe = 2;
constexpr std::uint32_t kGetTree = 4;
constexpr std::uint32_t kEventFlag = 0x80000000U;
constexpr std::uint32_t kWindowEvent = kEventFlag | 3;
constexpr std::uint32_t kMaxPayload = 64U << 20; // a tree of thousands of windows stays far below this
constexpr int kReplyTimeoutMs = 2000;

struct Message {
    std::uint32_t type = 0;
    std::string payload;
};

bool send(const SocketFd& socket, std::uint32_t type, const std::string& payload) {
    std::string frame(kMagic, kMagicSize);
    const auto size = static_cast<std::uint32_t>(payload.size());
    frame.append(reinterpret_cast<const char*>(&size), 4);
    frame.append(reinterpret_cast<const char*>(&type), 4);
    return writeAll(socket, frame + payload);
}

std::optional<Message> receive(const SocketFd& socket) {
    char header[kMagicSize + 8];
    if (!readExactly(socket, header, sizeof header, kReplyTimeoutMs) || std::memcmp(header, kMagic, kMagicSize) != 0)
        return std::nullopt;
    Message message;
    std::uint32_t size = 0;
    std::memcpy(&size, header + kMagicSize, 4);
    std::memcpy(&message.type, header + kMagicSize + 4, 4);
    if (size > kMaxPayload)
        return std::nullopt;
    message.payload.resize(size);
    if (size > 0 && !readExactly(socket, message.payload.data(), size, kReplyTimeoutMs))
        return std::nullopt;
    return message;
}

class I3IpcForegroundWindows : public ForegroundWindows {
public:
    explicit I3IpcForegroundWindows(std::string path) : path_(std::move(path)) {}

    std::uint64_t GetForegroundWindow() override {
        if (!events_.valid() && !connect())
            return 0;
        readEvents();
        if (stale_ && !readTree())
            drop();
        return focus_.id;
    }

    // The pid the compositor gives is the owner of the client's connection, not a claim of the client.
    std::uint32_t GetWindowThreadProcessId(std::uint64_t window) override {
        return window != 0 && window == focus_.id && pidsAreOurs_ ? focus_.pid : 0;
    }

private:
    // One connection for the events, one for the tree: a reply never has to be told from an event.
    bool connect() {
        events_ = connectUnixSocket(path_);
        queries_ = connectUnixSocket(path_);
        if (!events_.valid() || !queries_.valid() || !send(events_, kSubscribe, R"(["window","workspace"])")) {
            drop();
            return false;
        }
        const auto reply = receive(events_);
        if (!reply || reply->type != kSubscribe) {
            drop();
            return false;
        }
        pidsAreOurs_ = peerSharesOurPids(queries_);
        stale_ = true;
        return true;
    }

    void readEvents() {
        while (events_.valid() && readable(events_)) {
            const auto event = receive(events_);
            if (!event) {
                drop();
                return;
            }
            // A focus change names the new window; anything else (a close, a workspace switch) may move the focus
            // without saying where, so the tree answers.
            const auto focus = event->type == kWindowEvent ? focusFromWindowEvent(event->payload) : std::nullopt;
            if (focus) {
                focus_ = *focus;
                stale_ = false;
            } else {
                stale_ = true;
            }
        }
    }

    bool readTree() {
        if (!queries_.valid() || !send(queries_, kGetTree, {}))
            return false;
        const auto reply = receive(queries_);
        const auto focus = reply && reply->type == kGetTree ? focusedInTree(reply->payload) : std::nullopt;
        if (!focus)
            return false;
        focus_ = *focus;
        stale_ = false;
        return true;
    }

    // A compositor that went away or spoke nonsense: no foreground window, and a fresh connection next time.
    void drop() {
        events_.reset();
        queries_.reset();
        focus_ = {};
    }

    std::string path_;
    SocketFd events_;
    SocketFd queries_;
    FocusedWindow focus_;
    bool stale_ = true;
    bool pidsAreOurs_ = false;
};

class HyprlandForegroundWindows : public ForegroundWindows {
public:
    explicit HyprlandForegroundWindows(std::string path) : path_(std::move(path)) {}

    // Hyprland answers one request per connection and closes it.
    std::uint64_t GetForegroundWindow() override {
        focus_ = {};
        SocketFd socket = connectUnixSocket(path_);
        std::string reply;
        if (!socket.valid() || !writeAll(socket, "j/activewindow") ||
            !readToEnd(socket, reply, kMaxPayload, kReplyTimeoutMs))
            return 0;
        if (auto focus = hyprlandActiveWindow(reply))
            focus_ = *focus;
        if (!peerSharesOurPids(socket))
            focus_.pid = 0;
        return focus_.id;
    }

    std::uint32_t GetWindowThreadProcessId(std::uint64_t window) override {
        return window != 0 && window == focus_.id ? focus_.pid : 0;
    }

private:
    std::string path_;
    FocusedWindow focus_;
};

} // namespace

std::unique_ptr<ForegroundWindows> createI3IpcForeground(const std::string& socketPath) {
    return std::make_unique<I3IpcForegroundWindows>(socketPath);
}

std::unique_ptr<ForegroundWindows> createHyprlandForeground(const std::string& socketPath) {
    return std::make_unique<HyprlandForegroundWindows>(socketPath);
}

} // namespace kelvora
