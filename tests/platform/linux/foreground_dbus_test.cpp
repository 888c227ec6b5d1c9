#include <gtest/gtest.h>
#include <signal.h>

#include <QCoreApplication>
#include <QElapsedTimer>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <thread>
#include <tuple>
#include <vector>

#include "platform/Processes.h"
#include "support/TestPaths.h"

namespace kelvora {
namespace {

// Ends the processes a test started (by the pid each wrote to a file), however the test ends.
struct StartedProcesses {
    std::vector<std::string> pidFiles;
    ~StartedProcesses() {
        for (const auto& file : pidFiles) {
            int pid = 0;
            std::ifstream in(file);
            if (in >> pid && pid > 0)
                ::kill(pid, SIGTERM);
        }
    }
};

// KWin and GNOME Shell as stand-ins on a private session bus (dbus_standin.py), one after the other: the program must
// take the focus from the compositor's own connection only, whatever else on the bus says.
TEST(ForegroundStandIn, KWinScriptAndGnomeExtensionAreHeardOverTheSessionBus) {
    if (std::system("command -v dbus-daemon >/dev/null && /usr/bin/python3 -c 'import gi' 2>/dev/null") != 0)
        GTEST_SKIP() << "needs dbus-daemon and python3-gi";
    test::TempDir dir;
    const std::string d = dir.path();
    StartedProcesses started{{d + "/bus.pid", d + "/standin.pid"}};
    ASSERT_EQ(std::system(("dbus-daemon --session --fork --print-address=3 --print-pid=4 3>" + d + "/address 4>" + d +
                           "/bus.pid").c_str()),
              0);
    std::string address;
    std::getline(std::ifstream(d + "/address"), address);
    ::setenv("DBUS_SESSION_BUS_ADDRESS", address.c_str(), 1);
    ::setenv("WAYLAND_DISPLAY", "wayland-standin", 1);
    ::unsetenv("SWAYSOCK");
    ::unsetenv("I3SOCK");
    ::unsetenv("HYPRLAND_INSTANCE_SIGNATURE");
    int argc = 1;
    char name[] = "test_platform";
    char* argv[] = {name, nullptr};
    QCoreApplication app(argc, argv);
    const std::string standIn = test::sourceDir() + "/tests/platform/linux/dbus_standin.py";

    for (const auto& [mode, desktop, pid] : {std::tuple{"kwin", "KDE", 4242U}, std::tuple{"gnome", "GNOME", 4343U}}) {
        SCOPED_TRACE(mode);
        const std::string ready = d + "/" + mode + ".ready";
        const std::string run = "/usr/bin/python3 " + standIn + " " + mode + " " + ready + " >" + d + "/log 2>&1 & echo $! >" +
                                d + "/standin.pid";
        ASSERT_EQ(std::system(run.c_str()), 0);
        for (int i = 0; i < 100 && !std::filesystem::exists(ready); ++i)
            std::this_thread::sleep_for(std::chrono::milliseconds(50));
        ::setenv("XDG_CURRENT_DESKTOP", desktop, 1);
        {
            auto foreground = createForegroundWindows();
            std::uint32_t seen = 0;
            QElapsedTimer waited;
            waited.start();
            while (seen != pid && waited.elapsed() < 5000) {
                QCoreApplication::processEvents(QEventLoop::AllEvents, 50);
                seen = foreground->GetWindowThreadProcessId(foreground->GetForegroundWindow());
                ASSERT_NE(seen, 6666U) << "a report from a connection other than KWin's was believed";
            }
            EXPECT_EQ(seen, pid) << "1: KWin was not given the script file";
        }
        StartedProcesses ended{{d + "/standin.pid"}};
    }
    ::unsetenv("WAYLAND_DISPLAY");
}

// Both files are loaded by JavaScript engines we cannot run here; at least they must parse.
TEST(ForegroundStandIn, KWinScriptAndGnomeExtensionParse) {
    if (std::system("command -v node >/dev/null") != 0)
        GTEST_SKIP() << "needs node to parse JavaScript";
    test::TempDir dir;
    const std::string packaging = test::sourceDir() + "/packaging/linux/";
    const std::string module = dir.path() + "/extension.mjs";
    std::filesystem::copy_file(packaging + "gnome-shell/kelvora2008@talvek.example/extension.js", module);
    EXPECT_EQ(std::system(("node --check " + packaging + "kwin/kelvora-foreground.js").c_str()), 0);
    EXPECT_EQ(std::system(("node --check " + module).c_str()), 0);
}

} // namespace
} // namespace kelvora
