// The foreground of the responsiveness benchmark: an X window whose process runs two threads that each need 12 ms
// of CPU every 16 ms frame (1.5 of 2 cores, more than a fair share under load). Prints, as one JSON line, how much
// later than an unhindered run each frame's work was done (ms) over the measured span.
#include <unistd.h>
#include <xcb/xcb.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <string>
#include <thread>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

double threadCpuMs() {
    timespec now{};
    ::clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
    return static_cast<double>(now.tv_sec) * 1e3 + static_cast<double>(now.tv_nsec) / 1e6;
}

void frames(Clock::time_point start, Clock::time_point end, std::vector<double>& lateness) {
    constexpr auto kFrame = std::chrono::microseconds(16000);
    Clock::time_point slot = start;
    while (slot < end) {
        std::this_thread::sleep_until(slot);
        for (const double begin = threadCpuMs(); threadCpuMs() - begin < 12.0;) {
        }
        // How much later than an unhindered run the frame's work was done.
        const double took = std::chrono::duration<double, std::milli>(Clock::now() - slot).count();
        lateness.push_back(std::max(0.0, took - 12.0));
        slot += kFrame;
        // A frame that ran past its slots skips them, so lateness stays per frame rather than piling up.
        while (slot + kFrame < Clock::now())
            slot += kFrame;
    }
}

} // namespace

int main(int argc, char** argv) {
    const char* title = argc > 1 ? argv[1] : "kelvora-bench-client";
    xcb_connection_t* connection = xcb_connect(nullptr, nullptr);
    if (xcb_connection_has_error(connection))
        return 2;
    const xcb_screen_t* screen = xcb_setup_roots_iterator(xcb_get_setup(connection)).data;
    const xcb_window_t window = xcb_generate_id(connection);
    xcb_create_window(connection, XCB_COPY_FROM_PARENT, window, screen->root, 100, 100, 200, 120, 0,
                      XCB_WINDOW_CLASS_INPUT_OUTPUT, screen->root_visual, 0, nullptr);
    xcb_change_property(connection, XCB_PROP_MODE_REPLACE, window, XCB_ATOM_WM_NAME, XCB_ATOM_STRING, 8,
                        static_cast<std::uint32_t>(std::strlen(title)), title);
    // Who owns the window, as the program reads it when the X server's pids are not its own (another namespace).
    const auto pid = static_cast<std::uint32_t>(::getpid());
    xcb_intern_atom_reply_t* atom =
        xcb_intern_atom_reply(connection, xcb_intern_atom(connection, 0, 11, "_NET_WM_PID"), nullptr);
    if (atom) {
        xcb_change_property(connection, XCB_PROP_MODE_REPLACE, window, atom->atom, XCB_ATOM_CARDINAL, 32, 1, &pid);
        std::free(atom);
    }
    char host[256] = {};
    ::gethostname(host, sizeof host - 1);
    xcb_change_property(connection, XCB_PROP_MODE_REPLACE, window, XCB_ATOM_WM_CLIENT_MACHINE, XCB_ATOM_STRING, 8,
                        static_cast<std::uint32_t>(std::strlen(host)), host);
    xcb_map_window(connection, window);
    xcb_flush(connection);
    // Measures one span each time a line arrives on standard input: "<seconds>".
    char line[64];
    while (std::fgets(line, sizeof line, stdin)) {
        const double seconds = std::atof(line);
        const auto start = Clock::now() + std::chrono::milliseconds(50);
        const auto end = start + std::chrono::duration_cast<Clock::duration>(std::chrono::duration<double>(seconds));
        std::vector<double> first;
        std::vector<double> second;
        std::thread other(frames, start, end, std::ref(second));
        frames(start, end, first);
        other.join();
        first.insert(first.end(), second.begin(), second.end());
        std::string out = "[";
        for (std::size_t i = 0; i < first.size(); ++i)
            out += (i ? "," : "") + std::to_string(first[i]);
        std::printf("%s]\n", out.c_str());
        std::fflush(stdout);
    }
    xcb_disconnect(connection);
    return 0;
}
