// Which processes serve this program's displays: the kernel names the process that listens on a socket.
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <cstddef>
#include <cstdlib>
#include <cstring>
#include <string>

#include "platform/linux/ProcessesLinux.h"
#include "platform/linux/UnixSocket.h"

namespace kelvora {
namespace {

std::string environment(const char* name) {
    const char* value = std::getenv(name);
    return value ? std::string(value) : std::string();
}

// The listener of a Unix socket, abstract when `abstract` (the X server's first choice); 0 when none answers.
std::uint32_t listenerOf(const std::string& name, bool abstract) {
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    const std::size_t offset = abstract ? 1 : 0;
    if (name.empty() || name.size() + offset >= sizeof address.sun_path)
        return 0;
    std::memcpy(address.sun_path + offset, name.data(), name.size());
    const auto length = static_cast<socklen_t>(offsetof(sockaddr_un, sun_path) + offset + name.size());
    SocketFd socket(::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0));
    if (!socket.valid() || ::connect(socket.get(), reinterpret_cast<const sockaddr*>(&address), length) != 0)
        return 0;
    return peerProcess(socket);
}

// ":0", ":1.0" or "unix:0": a local display's socket; nothing for a display over the network.
std::string xSocketName(const std::string& display) {
    const std::size_t colon = display.rfind(':');
    if (colon == std::string::npos || (colon != 0 && display.compare(0, colon, "unix") != 0))
        return {};
    const std::string number = display.substr(colon + 1, display.find('.', colon) - colon - 1);
    if (number.empty() || number.find_first_not_of("0123456789") != std::string::npos)
        return {};
    return "/tmp/.X11-unix/X" + number;
}

} // namespace

std::vector<std::uint32_t> displaySocketPeers() {
    std::vector<std::uint32_t> peers;
    const auto add = [&peers](std::uint32_t pid) {
        if (pid != 0 && pid != static_cast<std::uint32_t>(::getpid()))
            peers.push_back(pid);
    };
    if (const std::string x = xSocketName(environment("DISPLAY")); !x.empty()) {
        const std::uint32_t abstractPeer = listenerOf(x, true);
        add(abstractPeer != 0 ? abstractPeer : listenerOf(x, false));
    }
    std::string wayland = environment("WAYLAND_DISPLAY");
    if (!wayland.empty() && wayland[0] != '/')
        wayland = environment("XDG_RUNTIME_DIR") + "/" + wayland;
    if (wayland.size() > 1)
        add(listenerOf(wayland, false));
    return peers;
}

} // namespace kelvora
