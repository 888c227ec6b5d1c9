#include <gtest/gtest.h>
#include <poll.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <functional>
#include <string>
#include <thread>

#include "platform/Processes.h"
#include "support/TestPaths.h"

namespace kelvora {
namespace {

using Clock = std::chrono::steady_clock;
using namespace std::chrono_literals;

// A compositor stand-in: a listening socket whose every connection `serve` handles until it returns.
class StandIn {
public:
    StandIn(const std::string& path, std::function<void(int client, const std::atomic<bool>& stop)> serve)
        : serve_(std::move(serve)) {
        listener_ = ::socket(AF_UNIX, SOCK_STREAM, 0);
        sockaddr_un address{};
        address.sun_family = AF_UNIX;
        std::strncpy(address.sun_path, path.c_str(), sizeof address.sun_path - 1);
        bound_ = ::bind(listener_, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0 &&
                 ::listen(listener_, 4) == 0;
        thread_ = std::thread([this] { run(); });
    }
    ~StandIn() {
        stop_ = true;
        thread_.join();
        ::close(listener_);
    }
    StandIn(const StandIn&) = delete;
    StandIn& operator=(const StandIn&) = delete;

    bool bound() const { return bound_; }
    int connections() const { return connections_; }

private:
    void run() {
        while (!stop_) {
            pollfd entry{listener_, POLLIN, 0};
            if (::poll(&entry, 1, 20) <= 0)
                continue;
            const int client = ::accept(listener_, nullptr, nullptr);
            ++connections_;
            serve_(client, stop_);
            ::close(client);
        }
    }

    std::function<void(int, const std::atomic<bool>&)> serve_;
    int listener_ = -1;
    bool bound_ = false;
    std::atomic<bool> stop_{false};
    std::atomic<int> connections_{0};
    std::thread thread_;
};

bool sendAll(int client, const std::string& data) {
    return ::send(client, data.data(), data.size(), MSG_NOSIGNAL) == static_cast<ssize_t>(data.size());
}

std::string readRequest(int client) {
    char request[64] = {};
    const ssize_t n = ::read(client, request, sizeof request - 1);
    return n > 0 ? std::string(request, static_cast<std::size_t>(n)) : std::string();
}

std::string i3Frame(std::uint32_t type, const std::string& payload) {
    const auto size = static_cast<std::uint32_t>(payload.size());
    std::string frame = "i3-ipc";
    frame.append(reinterpret_cast<const char*>(&size), 4);
    frame.append(reinterpret_cast<const char*>(&type), 4);
    return frame + payload;
}

void enterSession(const std::string& runtime, const char* hyprland, const std::string& swaySocket) {
    ::setenv("WAYLAND_DISPLAY", "wayland-standin", 1);
    ::setenv("XDG_RUNTIME_DIR", runtime.c_str(), 1);
    if (hyprland)
        ::setenv("HYPRLAND_INSTANCE_SIGNATURE", hyprland, 1);
    else
        ::unsetenv("HYPRLAND_INSTANCE_SIGNATURE");
    if (!swaySocket.empty())
        ::setenv("SWAYSOCK", swaySocket.c_str(), 1);
    else
        ::unsetenv("SWAYSOCK");
    ::unsetenv("I3SOCK");
    ::unsetenv("DISPLAY"); // no X server to fall back to
}

// Checks as the window's timer would for `span`: every check must return within `allowed` (a check waits 40 ms at
// most; the rest is slack for a loaded machine, far below the seconds a stalled exchange would take). The last
// window seen.
std::uint64_t checkLikeTheTimer(ForegroundWindows& foreground, std::chrono::milliseconds span,
                                std::chrono::milliseconds allowed, std::uint64_t until = ~std::uint64_t{0}) {
    std::uint64_t window = 0;
    for (const auto end = Clock::now() + span; Clock::now() < end;) {
        const auto start = Clock::now();
        window = foreground.GetForegroundWindow();
        EXPECT_LE(Clock::now() - start, allowed);
        if (window == until)
            break;
        std::this_thread::sleep_for(20ms);
    }
    return window;
}

std::string hyprlandFolder(const std::string& runtime, const char* instance) {
    const std::string folder = runtime + "/hypr/" + instance;
    std::filesystem::create_directories(folder);
    ::chmod((runtime + "/hypr").c_str(), 0700);
    ::chmod(folder.c_str(), 0700);
    return folder;
}

// Hyprland as the program meets it: a socket under the runtime folder that answers one request per connection.
TEST(ForegroundStandIn, HyprlandSessionIsAskedThroughItsOwnSocket) {
    test::TempDir dir;
    const std::string folder = hyprlandFolder(dir.path(), "standin");
    std::string asked;
    std::atomic<int> served{0};
    StandIn standIn(folder + "/.socket.sock", [&](int client, const std::atomic<bool>&) {
        asked = readRequest(client);
        sendAll(client, served++ == 0 ? R"({"address":"0x5a5a","pid":4242})" : "{}");
    });
    ASSERT_TRUE(standIn.bound());
    enterSession(dir.path(), "standin", {});
    auto foreground = createForegroundWindows();
    EXPECT_EQ(checkLikeTheTimer(*foreground, 3s, 300ms, 0x5a5a), 0x5a5aU);
    EXPECT_EQ(asked, "j/activewindow");
    EXPECT_EQ(foreground->GetWindowThreadProcessId(0x5a5a), 4242U);
    EXPECT_EQ(checkLikeTheTimer(*foreground, 3s, 300ms, 0), 0U); // no window active any more
    EXPECT_EQ(foreground->GetWindowThreadProcessId(0x5a5a), 0U);

    // The same socket in a folder others may write to (anyone can make /tmp/hypr first) is never asked.
    foreground.reset();
    ::chmod(folder.c_str(), 0777);
    const int before = standIn.connections();
    foreground = createForegroundWindows();
    EXPECT_EQ(checkLikeTheTimer(*foreground, 300ms, 300ms), 0U);
    EXPECT_EQ(standIn.connections(), before);
}

// Compositors that stall, trickle or flood: the checks keep their pace, and each query ends by its deadline.
TEST(ForegroundStandIn, SlowOrFloodingCompositorsNeverHoldTheWindow) {
    test::TempDir dir;
    const auto trickle = [](int client, const std::atomic<bool>& stop) {
        readRequest(client);
        while (!stop && sendAll(client, " "))
            std::this_thread::sleep_for(300ms); // a byte now and then, never the end
    };
    const auto flood = [](int client, const std::atomic<bool>& stop) {
        readRequest(client);
        const std::string chunk(1 << 16, '[');
        while (!stop && sendAll(client, chunk)) {
        }
    };
    const auto i3Flood = [](int client, const std::atomic<bool>& stop) {
        readRequest(client);
        if (!sendAll(client, i3Frame(2, R"({"success":true})")))
            return;
        const std::string event = i3Frame(0x80000003U, R"({"change":"title","container":{"id":5}})");
        while (!stop && sendAll(client, event)) {
        }
    };
    const auto i3Huge = [](int client, const std::atomic<bool>&) {
        readRequest(client);
        sendAll(client, i3Frame(2, R"({"success":true})"));
        std::string header = "i3-ipc";
        const std::uint32_t size = 0xFFFFFFF0U; // a tree that claims 4 GiB
        const std::uint32_t type = 4;
        header.append(reinterpret_cast<const char*>(&size), 4);
        header.append(reinterpret_cast<const char*>(&type), 4);
        sendAll(client, header);
    };
    struct Case {
        const char* name;
        bool hyprland;
        std::function<void(int, const std::atomic<bool>&)> serve;
    };
    for (const Case& c : {Case{"trickle", true, trickle}, Case{"flood", true, flood},
                          Case{"i3 events", false, i3Flood}, Case{"i3 huge tree", false, i3Huge}}) {
        SCOPED_TRACE(c.name);
        const std::string folder = hyprlandFolder(dir.path(), c.name[0] == 't' ? "trickle" : "other");
        const std::string path = c.hyprland ? folder + "/.socket.sock" : dir.path() + "/sway-ipc.sock";
        std::filesystem::remove(path);
        StandIn standIn(path, c.serve);
        ASSERT_TRUE(standIn.bound());
        enterSession(dir.path(), c.hyprland ? (c.name[0] == 't' ? "trickle" : "other") : nullptr,
                     c.hyprland ? std::string() : path);
        auto foreground = createForegroundWindows();
        // Past the 2 s deadline of the first query, so that later questions are asked too.
        EXPECT_EQ(checkLikeTheTimer(*foreground, 2500ms, 300ms), 0U);
        EXPECT_GE(standIn.connections(), 2); // the first query ended by its deadline, or sooner
        const auto start = Clock::now();
        foreground.reset(); // ends an exchange in progress at once
        EXPECT_LE(Clock::now() - start, 500ms);
    }
}

} // namespace
} // namespace kelvora
