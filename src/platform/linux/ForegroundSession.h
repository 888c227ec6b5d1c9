#pragma once

#include <cstdint>
#include <optional>
#include <string>

namespace kelvora {

// What the desktop session offers for learning which window is in front, gathered by the backend.
struct SessionFacts {
    std::string waylandDisplay;    // WAYLAND_DISPLAY
    std::string currentDesktop;    // XDG_CURRENT_DESKTOP, e.g. "KDE" or "ubuntu:GNOME"
    bool swaySocket = false;       // $SWAYSOCK (or $I3SOCK under Wayland) names a socket that exists
    bool hyprlandSocket = false;   // the socket of $HYPRLAND_INSTANCE_SIGNATURE exists
    bool kwinScripting = false;    // org.kde.KWin with its scripting interface is on the session bus
    bool gnomeExtension = false;   // the program's GNOME Shell extension is on the session bus
};

enum class ForegroundSource {
    X11,      // an X11 session, or XWayland when the Wayland compositor offers nothing else
    I3Ipc,    // sway and other compositors that speak i3's IPC
    Hyprland,
    KWin,
    Gnome,
};

ForegroundSource chooseForegroundSource(const SessionFacts& facts);

// Under Wayland with nothing but XWayland to ask: what the user can do, said once on standard error; empty
// elsewhere.
std::string foregroundAdvice(const SessionFacts& facts);

// The window a compositor reports as focused; id 0 when the focus is on no window (an empty workspace).
struct FocusedWindow {
    std::uint64_t id = 0;
    std::uint32_t pid = 0;
    bool operator==(const FocusedWindow&) const = default;
};

// i3-IPC: the reply to GET_TREE. Nothing when the reply is unreadable.
std::optional<FocusedWindow> focusedInTree(const std::string& reply);
// i3-IPC: a window event. The new focus for a "focus" change; nothing for other changes, which call for a fresh
// tree.
std::optional<FocusedWindow> focusFromWindowEvent(const std::string& event);
// Hyprland: the reply to "j/activewindow". Nothing when the reply is unreadable.
std::optional<FocusedWindow> hyprlandActiveWindow(const std::string& reply);

} // namespace kelvora
