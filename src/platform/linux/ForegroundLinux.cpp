// The foreground window under X11, as the window manager publishes it (EWMH), and its process as the X server
// knows it.
#include <unistd.h>
#include <xcb/res.h>
#include <xcb/xcb.h>
#include <xcb/xcb_ewmh.h>

#include <cstdlib>
#include <string>

#include "platform/Processes.h"
#include "platform/linux/ForegroundSources.h"

namespace kelvora {
namespace {

std::string thisHostName() {
    char name[256] = {};
    return ::gethostname(name, sizeof name - 1) == 0 ? std::string(name) : std::string();
}

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

    // _NET_WM_PID is written by the client and may name any process: a remote client's, one in another PID
    // namespace, or a forged one. The server knows which local process holds the connection that made the window.
    std::uint32_t GetWindowThreadProcessId(std::uint64_t window) override {
        if (!connected() || window == 0 || window > 0xFFFFFFFFu)
            return 0;
        const auto id = static_cast<xcb_window_t>(window);
        if (serverPidsAreOurs_)
            if (std::uint32_t pid = serverSidePid(id))
                return pid;
        // The server cannot tell (a client over the network, no X-Resource, a PID namespace other than ours): the
        // property then, and only from a client on this host.
        return clientMachine(id) == hostName_ && !hostName_.empty() ? claimedPid(id) : 0;
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
        hostName_ = thisHostName();
        resourceQueries_ = supportsClientIds();
        // The server names processes in its own PID namespace: they are ours only if it names this one right.
        const auto ourPid = static_cast<std::uint32_t>(::getpid());
        serverPidsAreOurs_ = resourceQueries_ && serverSidePid(xcb_get_setup(connection_)->resource_id_base) == ourPid;
    }

    // The X-Resource extension's client-id query (version 1.2); asking a server without it would close the
    // connection.
    bool supportsClientIds() {
        const xcb_query_extension_reply_t* extension = xcb_get_extension_data(connection_, &xcb_res_id);
        if (!extension || !extension->present)
            return false;
        xcb_res_query_version_reply_t* version =
            xcb_res_query_version_reply(connection_, xcb_res_query_version(connection_, 1, 2), nullptr);
        const bool supported = version && (version->server_major > 1 || version->server_minor >= 2);
        std::free(version);
        return supported;
    }

    // The process id of the local client that owns `resource`, or 0 when the server does not know it.
    std::uint32_t serverSidePid(std::uint32_t resource) {
        if (!resourceQueries_)
            return 0;
        const xcb_res_client_id_spec_t query{resource, XCB_RES_CLIENT_ID_MASK_LOCAL_CLIENT_PID};
        xcb_res_query_client_ids_reply_t* reply =
            xcb_res_query_client_ids_reply(connection_, xcb_res_query_client_ids(connection_, 1, &query), nullptr);
        if (!reply) {
            dropIfBroken();
            return 0;
        }
        std::uint32_t pid = 0;
        // Only process ids were asked for: a value of four bytes is one.
        for (auto it = xcb_res_query_client_ids_ids_iterator(reply); it.rem > 0; xcb_res_client_id_value_next(&it))
            if (it.data->length >= 4)
                pid = *xcb_res_client_id_value_value(it.data);
        std::free(reply);
        return pid;
    }

    std::string clientMachine(xcb_window_t window) {
        xcb_get_property_reply_t* reply = xcb_get_property_reply(
            connection_,
            xcb_get_property(connection_, 0, window, XCB_ATOM_WM_CLIENT_MACHINE, XCB_GET_PROPERTY_TYPE_ANY, 0, 64),
            nullptr);
        if (!reply) {
            dropIfBroken();
            return {};
        }
        std::string machine;
        if (reply->format == 8)
            machine.assign(static_cast<const char*>(xcb_get_property_value(reply)),
                           static_cast<std::size_t>(xcb_get_property_value_length(reply)));
        std::free(reply);
        return machine.substr(0, machine.find('\0'));
    }

    std::uint32_t claimedPid(xcb_window_t window) {
        std::uint32_t pid = 0;
        if (!xcb_ewmh_get_wm_pid_reply(&ewmh_, xcb_ewmh_get_wm_pid(&ewmh_, window), &pid, nullptr)) {
            dropIfBroken();
            return 0;
        }
        return pid;
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
    std::string hostName_;
    bool resourceQueries_ = false;
    bool serverPidsAreOurs_ = false;
};

} // namespace

std::unique_ptr<ForegroundWindows> createX11Foreground() {
    return std::make_unique<X11ForegroundWindows>();
}

} // namespace kelvora
