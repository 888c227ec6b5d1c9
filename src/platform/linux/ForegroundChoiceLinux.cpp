// Which source tells the foreground window in this session: the X server, or the Wayland compositor's own way.
#include <cstdio>
#include <cstdlib>
#include <string>

#include "platform/FileSystem.h"
#include "platform/linux/ForegroundSession.h"
#include "platform/linux/ForegroundSources.h"
#include "platform/linux/UnixSocket.h"

namespace kelvora {
namespace {

std::string environment(const char* name) {
    const char* value = std::getenv(name);
    return value ? std::string(value) : std::string();
}

std::string i3IpcSocket() {
    const std::string sway = environment("SWAYSOCK");
    return isSocketFile(sway) ? sway : environment("I3SOCK");
}

// Hyprland keeps its sockets under the runtime folder; releases before 0.40 kept them under /tmp.
std::string hyprlandSocket() {
    const std::string instance = environment("HYPRLAND_INSTANCE_SIGNATURE");
    if (instance.empty() || instance.find('/') != std::string::npos)
        return {};
    const std::string runtime = environment("XDG_RUNTIME_DIR") + "/hypr/" + instance + "/.socket.sock";
    return isSocketFile(runtime) ? runtime : "/tmp/hypr/" + instance + "/.socket.sock";
}

// A compositor socket is used only when no one else could have put it there (anyone may create /tmp/hypr first).
bool usableSocket(const std::string& path) {
    if (!isSocketFile(path))
        return false;
    if (isOurOwnSocket(path))
        return true;
    std::fprintf(stderr, "Kelvora 2008: not asking %s for the foreground window: it or a folder above it belongs "
                         "to another user or others may write to it.\n", path.c_str());
    return false;
}

} // namespace

std::unique_ptr<ForegroundWindows> createForegroundWindows() {
    SessionFacts facts;
    facts.waylandDisplay = environment("WAYLAND_DISPLAY");
    facts.currentDesktop = environment("XDG_CURRENT_DESKTOP");
    facts.swaySocket = usableSocket(i3IpcSocket());
    facts.hyprlandSocket = usableSocket(hyprlandSocket());
    if (!facts.waylandDisplay.empty() && !facts.swaySocket && !facts.hyprlandSocket)
        readBusFacts(facts);
    switch (chooseForegroundSource(facts)) {
    case ForegroundSource::I3Ipc:
        return createI3IpcForeground(i3IpcSocket());
    case ForegroundSource::Hyprland:
        return createHyprlandForeground(hyprlandSocket());
    case ForegroundSource::KWin:
        return createKWinForeground(createFileSystem()->dataFolder() + "/kwin/kelvora-foreground.js");
    case ForegroundSource::Gnome:
        return createGnomeForeground();
    case ForegroundSource::X11:
        break;
    }
    if (const std::string advice = foregroundAdvice(facts); !advice.empty())
        std::fprintf(stderr, "%s\n", advice.c_str());
    return createX11Foreground();
}

} // namespace kelvora
