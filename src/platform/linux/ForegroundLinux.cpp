// The foreground window under X11, as the window manager publishes it (EWMH).
#include <xcb/xcb.h>
#include <xcb/xcb_ewmh.h>

#include "platform/Processes.h"

namespace kelvora {
namespace {

class X11ForegroundWindows : public ForegroundWindows {
public:
    X11ForegroundWindows() { connect(); }
    ~X11ForegroundWindows() override { disconnect(); }
    X11ForegroundWindows(const X11ForegroundWindows&) = delete;
    X11ForegroundWindows& operator=(const X11ForegroundWindows&) = delete;

    std::uint64_t GetForegroundWindow() override {
        if (!connected())
            return 0;
        xcb_window_t window = 0;
        if (!xcb_ewmh_get_active_window_reply(&ewmh_, xcb_ewmh_get_active_window(&ewmh_, screen_), &window, nullptr)) {
            dropIfBroken();
            return 0;
        }
        return window;
    }

    std::uint32_t GetWindowThreadProcessId(std::uint64_t window) override {
        if (!connected() || window == 0 || window > 0xFFFFFFFFu)
            return 0;
        std::uint32_t pid = 0;
        if (!xcb_ewmh_get_wm_pid_reply(&ewmh_, xcb_ewmh_get_wm_pid(&ewmh_, static_cast<xcb_window_t>(window)), &pid,
                                       nullptr)) {
            dropIfBroken();
            return 0;
        }
        return pid;
    }

private:
    // The connection stays open between checks, so a check that finds no change costs one round trip.
    bool connected() {
        if (!connection_)
            connect();
        return connection_ != nullptr;
    }

    void connect() {
        xcb_connection_t* connection = xcb_connect(nullptr, &screen_);
        if (xcb_connection_has_error(connection)) {
            xcb_disconnect(connection);
            return;
        }
        if (!xcb_ewmh_init_atoms_replies(&ewmh_, xcb_ewmh_init_atoms(connection, &ewmh_), nullptr)) {
            xcb_disconnect(connection);
            return;
        }
        connection_ = connection;
    }

    void disconnect() {
        if (!connection_)
            return;
        xcb_ewmh_connection_wipe(&ewmh_);
        xcb_disconnect(connection_);
        connection_ = nullptr;
    }

    // A lost X server leaves the connection unusable: start afresh at the next check.
    void dropIfBroken() {
        if (connection_ && xcb_connection_has_error(connection_))
            disconnect();
    }

    xcb_connection_t* connection_ = nullptr;
    xcb_ewmh_connection_t ewmh_{};
    int screen_ = 0;
};

} // namespace

std::unique_ptr<ForegroundWindows> createForegroundWindows() {
    return std::make_unique<X11ForegroundWindows>();
}

} // namespace kelvora
