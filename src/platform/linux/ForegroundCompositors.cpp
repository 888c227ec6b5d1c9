// The focused window as Wayland compositors with an IPC socket tell it: sway and other compositors that speak
// i3's IPC (the tree once, then window events), and Hyprland. A compositor is asked on a thread of its own, so a
// slow or hostile one never holds the window.
#include <sys/eventfd.h>
#include <unistd.h>

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <cstring>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <utility>

#include "platform/linux/ForegroundSession.h"
#include "platform/linux/ForegroundSources.h"
#include "platform/linux/UnixSocket.h"

namespace kelvora {
namespace {

using namespace std::chrono_literals;

constexpr char kMagic[] = "i3-ipc";
constexpr std::size_t kMagicSize = 6;
constexpr std::uint32_t kSubscribe = 2;
constexpr std::uint32_t kGetTree = 4;
constexpr std::uint32_t kEventFlag = 0x80000000U;
constexpr std::uint32_t kWindowEvent = kEventFlag | 3;
constexpr std::uint32_t kMaxTree = 4U << 20;             // sway's tree of a few hundred windows is well below 1 MiB
constexpr std::size_t kMaxHyprlandReply = 64U << 10;     // one window's description
constexpr auto kQueryDeadline = 2s;                      // one whole exchange with the compositor
constexpr auto kCallerWait = 40ms;                       // the most a check waits for a fresh answer

// The socket at `path`, provided only this user could have made it and a process of this user serves it.
SocketFd connectOwnSocket(const std::string& path) {
    if (!isOurOwnSocket(path))
        return {};
    SocketFd socket = connectUnixSocket(path);
    return peerIsOurUser(socket) ? std::move(socket) : SocketFd{};
}

// One question to a compositor, answered on the worker thread before the deadline or not at all.
class FocusQuery {
public:
    virtual ~FocusQuery() = default;
    // The focused window now; an empty one when the compositor could not say in time.
    virtual FocusedWindow ask(const Deadline& deadline) = 0;
};

struct Message {
    std::uint32_t type = 0;
    std::string payload;
};

bool send(const SocketFd& socket, std::uint32_t type, const std::string& payload, const Deadline& deadline) {
    std::string frame(kMagic, kMagicSize);
    const auto size = static_cast<std::uint32_t>(payload.size());
    frame.append(reinterpret_cast<const char*>(&size), 4);
    frame.append(reinterpret_cast<const char*>(&type), 4);
    return writeAll(socket, frame + payload, deadline);
}

std::optional<Message> receive(const SocketFd& socket, const Deadline& deadline) {
    char header[kMagicSize + 8];
    if (!readExactly(socket, header, sizeof header, deadline) || std::memcmp(header, kMagic, kMagicSize) != 0)
        return std::nullopt;
    Message message;
    std::uint32_t size = 0;
    std::memcpy(&size, header + kMagicSize, 4);
    std::memcpy(&message.type, header + kMagicSize + 4, 4);
    if (size > kMaxTree)
        return std::nullopt;
    message.payload.resize(size);
    if (size > 0 && !readExactly(socket, message.payload.data(), size, deadline))
        return std::nullopt;
    return message;
}

class I3IpcQuery : public FocusQuery {
public:
    explicit I3IpcQuery(std::string path) : path_(std::move(path)) {}

    FocusedWindow ask(const Deadline& deadline) override {
        if (!events_.valid() && !connect(deadline))
            return {};
        readEvents(deadline);
        if (events_.valid() && stale_ && !readTree(deadline))
            drop();
        // The pid the compositor gives is the owner of the client's connection, not a claim of the client.
        return {focus_.id, pidsAreOurs_ ? focus_.pid : 0};
    }

private:
    // One connection for the events, one for the tree: a reply never has to be told from an event.
    bool connect(const Deadline& deadline) {
        events_ = connectOwnSocket(path_);
        queries_ = connectOwnSocket(path_);
        const bool subscribed = events_.valid() && queries_.valid() &&
                                send(events_, kSubscribe, R"(["window","workspace"])", deadline);
        const auto reply = subscribed ? receive(events_, deadline) : std::nullopt;
        if (!reply || reply->type != kSubscribe) {
            drop();
            return false;
        }
        pidsAreOurs_ = peerSharesOurPids(queries_);
        stale_ = true;
        return true;
    }

    void readEvents(const Deadline& deadline) {
        while (events_.valid() && readable(events_)) {
            // A compositor still sending when the time is up is flooding us.
            const auto event = deadline.remainingMs() > 0 ? receive(events_, deadline) : std::nullopt;
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

    bool readTree(const Deadline& deadline) {
        if (!queries_.valid() || !send(queries_, kGetTree, {}, deadline))
            return false;
        const auto reply = receive(queries_, deadline);
        const auto focus = reply && reply->type == kGetTree ? focusedInTree(reply->payload) : std::nullopt;
        if (!focus)
            return false;
        focus_ = *focus;
        stale_ = false;
        return true;
    }

    // A compositor that went away, was too slow or spoke nonsense: no foreground window, a fresh connection next.
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

// Hyprland answers one request per connection and closes it.
class HyprlandQuery : public FocusQuery {
public:
    explicit HyprlandQuery(std::string path) : path_(std::move(path)) {}

    FocusedWindow ask(const Deadline& deadline) override {
        SocketFd socket = connectOwnSocket(path_);
        std::string reply;
        if (!socket.valid() || !writeAll(socket, "j/activewindow", deadline) ||
            !readToEnd(socket, reply, kMaxHyprlandReply, deadline))
            return {};
        FocusedWindow focus = hyprlandActiveWindow(reply).value_or(FocusedWindow{});
        if (!peerSharesOurPids(socket))
            focus.pid = 0;
        return focus;
    }

private:
    std::string path_;
};

// Asks on a worker thread. A check waits a moment for the answer to its own question and otherwise goes on with
// the last answer; the fresh one counts at a later check.
class CompositorForegroundWindows : public ForegroundWindows {
public:
    explicit CompositorForegroundWindows(std::unique_ptr<FocusQuery> query)
        : query_(std::move(query)), cancel_(::eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK)),
          worker_([this] { work(); }) {}

    ~CompositorForegroundWindows() override {
        {
            std::lock_guard lock(mutex_);
            stopping_ = true;
        }
        const std::uint64_t one = 1;
        if (cancel_.valid() && ::write(cancel_.get(), &one, sizeof one) < 0) {
            // Without the wake-up the worker ends at its deadline all the same.
        }
        changed_.notify_all();
        worker_.join();
    }
    CompositorForegroundWindows(const CompositorForegroundWindows&) = delete;
    CompositorForegroundWindows& operator=(const CompositorForegroundWindows&) = delete;

    std::uint64_t GetForegroundWindow() override {
        std::unique_lock lock(mutex_);
        if (answered_ == asked_) {
            ++asked_;
            changed_.notify_all();
        }
        changed_.wait_for(lock, kCallerWait, [this] { return answered_ == asked_; });
        return latest_.id;
    }

    std::uint32_t GetWindowThreadProcessId(std::uint64_t window) override {
        std::lock_guard lock(mutex_);
        return window != 0 && window == latest_.id ? latest_.pid : 0;
    }

private:
    void work() {
        std::unique_lock lock(mutex_);
        for (;;) {
            changed_.wait(lock, [this] { return stopping_ || answered_ != asked_; });
            if (stopping_)
                return;
            const std::uint64_t question = asked_;
            lock.unlock();
            const FocusedWindow answer = query_->ask(Deadline::in(kQueryDeadline, cancel_.get()));
            lock.lock();
            latest_ = answer;
            answered_ = question;
            changed_.notify_all();
        }
    }

    std::unique_ptr<FocusQuery> query_;
    SocketFd cancel_; // readable once the program ends, so that no exchange outlives it
    std::mutex mutex_;
    std::condition_variable changed_;
    std::uint64_t asked_ = 0;
    std::uint64_t answered_ = 0;
    FocusedWindow latest_;
    bool stopping_ = false;
    std::thread worker_; // last: it starts once everything above is in place
};

} // namespace

std::unique_ptr<ForegroundWindows> createI3IpcForeground(const std::string& socketPath) {
    return std::make_unique<CompositorForegroundWindows>(std::make_unique<I3IpcQuery>(socketPath));
}

std::unique_ptr<ForegroundWindows> createHyprlandForeground(const std::string& socketPath) {
    return std::make_unique<CompositorForegroundWindows>(std::make_unique<HyprlandQuery>(socketPath));
}

} // namespace kelvora
