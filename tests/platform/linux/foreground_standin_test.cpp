#include <gtest/gtest.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>
#include <thread>

#include "platform/Processes.h"
#include "support/TestPaths.h"

namespace kelvora {
namespace {

// Hyprland as the program meets it: a socket under the runtime folder that answers one request per connection.
TEST(ForegroundStandIn, HyprlandSessionIsAskedThroughItsSocket) {
    test::TempDir dir;
    const std::string folder = dir.path() + "/hypr/standin";
    std::filesystem::create_directories(folder);
    const int server = ::socket(AF_UNIX, SOCK_STREAM, 0);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    std::strncpy(address.sun_path, (folder + "/.socket.sock").c_str(), sizeof address.sun_path - 1);
    ASSERT_EQ(::bind(server, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
    ASSERT_EQ(::listen(server, 4), 0);
    std::string asked;
    std::thread standIn([&] {
        for (const char* reply : {R"({"address":"0x5a5a","pid":4242})", "{}"}) {
            const int client = ::accept(server, nullptr, nullptr);
            char request[64] = {};
            asked = std::string(request, static_cast<std::size_t>(::read(client, request, sizeof request - 1)));
            EXPECT_GT(::write(client, reply, std::strlen(reply)), 0);
            ::close(client);
        }
    });
    ::setenv("WAYLAND_DISPLAY", "wayland-standin", 1);
    ::setenv("XDG_RUNTIME_DIR", dir.path().c_str(), 1);
    ::setenv("HYPRLAND_INSTANCE_SIGNATURE", "standin", 1);
    ::unsetenv("SWAYSOCK");
    ::unsetenv("I3SOCK");
    auto foreground = createForegroundWindows();
    EXPECT_EQ(foreground->GetForegroundWindow(), 0x5a5aU);
    EXPECT_EQ(asked, "j/activewindow");
    EXPECT_EQ(foreground->GetWindowThreadProcessId(0x5a5a), 4242U);
    EXPECT_EQ(foreground->GetForegroundWindow(), 0U); // no window active any more
    EXPECT_EQ(foreground->GetWindowThreadProcessId(0x5a5a), 0U);
    standIn.join();
    ::close(server);
    ::unsetenv("HYPRLAND_INSTANCE_SIGNATURE");
    ::unsetenv("WAYLAND_DISPLAY");
}

} // namespace
} // namespace kelvora
