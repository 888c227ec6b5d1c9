#include "platform/linux/ForegroundSession.h"

#include <algorithm>
#include <cstdlib>

#include "platform/linux/JsonValue.h"

namespace kelvora {
namespace {

constexpr std::uint64_t kMaxPid = 0x3FFFFFFF; // above the kernel's pid_max limit
constexpr std::uint64_t kMaxId = 1ULL << 53;  // ids arrive as JSON numbers: exact up to here

bool mentions(const std::string& desktops, const std::string& name) {
    // XDG_CURRENT_DESKTOP is a colon-separated list, e.g. "ubuntu:GNOME".
    std::size_t start = 0;
    while (start <= desktops.size()) {
        const std::size_t end = std::min(desktops.find(':', start), desktops.size());
        if (desktops.compare(start, end - start, name) == 0)
            return true;
        start = end + 1;
    }
    return false;
}

// A container that holds a client's window: it has a pid; workspaces and outputs do not.
std::optional<FocusedWindow> windowOf(const JsonValue& node) {
    FocusedWindow window;
    const auto id = node.wholeNumber("id", kMaxId);
    const auto pid = node.wholeNumber("pid", kMaxPid);
    if (!id)
        return std::nullopt;
    if (pid && *pid > 0)
        window = {*id, static_cast<std::uint32_t>(*pid)};
    return window;
}

const JsonValue* findFocused(const JsonValue& node, int depth) {
    if (node.kind != JsonValue::Kind::Object || depth > 100)
        return nullptr;
    if (node.isTrue("focused"))
        return &node;
    for (const char* children : {"nodes", "floating_nodes"})
        if (const JsonValue* list = node.find(children); list && list->kind == JsonValue::Kind::Array)
            for (const JsonValue& child : list->items)
                if (const JsonValue* found = findFocused(child, depth + 1))
                    return found;
    return nullptr;
}

} // namespace

ForegroundSource chooseForegroundSource(const SessionFacts& facts) {
    if (facts.waylandDisplay.empty())
        return ForegroundSource::X11;
    if (facts.swaySocket)
        return ForegroundSource::I3Ipc;
    if (facts.hyprlandSocket)
        return ForegroundSource::Hyprland;
    if (facts.gnomeExtension)
        return ForegroundSource::Gnome;
    if (facts.kwinScripting && mentions(facts.currentDesktop, "KDE"))
        return ForegroundSource::KWin;
    return ForegroundSource::X11;
}

std::string foregroundAdvice(const SessionFacts& facts) {
    if (chooseForegroundSource(facts) != ForegroundSource::X11 || facts.waylandDisplay.empty())
        return {};
    const std::string lead = "Kelvora 2008: this Wayland session does not tell which window is in front, so only "
                             "X11 (XWayland) windows get the foreground priority. ";
    if (mentions(facts.currentDesktop, "GNOME"))
        return lead + "Enable the program's GNOME Shell extension (gnome-extensions enable "
                      "kelvora2008@talvek.example on GNOME 45 or later, kelvora2008-legacy@talvek.example on "
                      "GNOME 40 to 44), log out and in again, then restart Kelvora 2008.";
    if (mentions(facts.currentDesktop, "KDE"))
        return lead + "KWin's scripting interface (org.kde.KWin, /Scripting) was not found on the session bus; "
                      "start Kelvora 2008 from within the Plasma session.";
    return lead + "Supported are sway and other i3-IPC compositors, Hyprland, KDE Plasma and GNOME (with the "
                  "program's extension); or log in to an X11 session.";
}

std::optional<FocusedWindow> focusedInTree(const std::string& reply) {
    const auto tree = parseJson(reply);
    if (!tree || tree->kind != JsonValue::Kind::Object)
        return std::nullopt;
    const JsonValue* focused = findFocused(*tree, 0);
    return focused ? windowOf(*focused) : FocusedWindow{};
}

std::optional<FocusedWindow> focusFromWindowEvent(const std::string& event) {
    const auto message = parseJson(event);
    if (!message || message->kind != JsonValue::Kind::Object)
        return std::nullopt;
    const JsonValue* change = message->find("change");
    const JsonValue* container = message->find("container");
    if (!change || change->text != "focus" || !container || container->kind != JsonValue::Kind::Object)
        return std::nullopt;
    return windowOf(*container);
}

std::optional<FocusedWindow> hyprlandActiveWindow(const std::string& reply) {
    const auto window = parseJson(reply);
    if (!window || window->kind != JsonValue::Kind::Object)
        return std::nullopt;
    const JsonValue* address = window->find("address");
    const auto pid = window->wholeNumber("pid", kMaxPid);
    // No active window: an empty object.
    if (!address || address->kind != JsonValue::Kind::String)
        return FocusedWindow{};
    const std::string& hex = address->text;
    char* end = nullptr;
    const std::uint64_t id = hex.rfind("0x", 0) == 0 ? std::strtoull(hex.c_str() + 2, &end, 16) : 0;
    if (id == 0 || end != hex.c_str() + hex.size())
        return std::nullopt;
    return FocusedWindow{id, pid ? static_cast<std::uint32_t>(*pid) : 0U};
}

} // namespace kelvora
