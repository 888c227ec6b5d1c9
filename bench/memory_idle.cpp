// Idle cost of GlobalTimer: CPU time per tick and per memory panel refresh, beside one read of /proc/meminfo, and the
// idle program beside the event loop's own wake-ups (a 100 ms timer whose handler does nothing) in the same run.
#include <QApplication>
#include <QElapsedTimer>
#include <QTimer>
#include <cstdio>
#include <functional>
#include <ctime>

#include "frontend/AppServices.h"
#include "memory/MainTicker.h"
#include "memory/qt/MemoryPage.h"
#include "platform/MemoryInfo.h"
#include "platform/fake/FakeFileSystem.h"
#include "platform/fake/FakeMemoryInfo.h"
#include "platform/fake/FakeProcesses.h"
#include "platform/fake/FakeRegistry.h"
#include "platform/fake/FakeShell.h"
#include "settings/StringTable.h"

namespace {

using namespace kelvora;

double cpuSeconds() {
    timespec now{};
    ::clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &now);
    return static_cast<double>(now.tv_sec) + static_cast<double>(now.tv_nsec) / 1e9;
}

template <typename F> double cpuMicrosecondsEach(int times, F&& run) {
    const double start = cpuSeconds();
    for (int i = 0; i < times; ++i)
        run();
    return (cpuSeconds() - start) * 1e6 / times;
}

} // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);

    StringTable strings;
    strings.set(224, "Total: ");
    strings.set(225, "Used: ");
    strings.set(226, "Free: ");
    fake::FakeFileSystem files;
    fake::FakeRegistry registry;
    fake::FakeProcesses processes;
    fake::FakeForegroundWindows foreground;
    fake::FakeShell shell;
    fake::FakeBlockAllocator allocator; // the threshold is kept out of reach; nothing is claimed
    auto memory = createMemoryInfo();
    auto clock = createTickClock();
    AppServices services{strings, files, registry, *memory, *clock, processes, foreground, shell, "http://127.0.0.1:9"};

    QWidget window;
    window.resize(568, 358);
    MainTicker ticker;
    MemoryPage page(services, ticker, allocator, &window, &window);
    page.setGeometry(176, 72, 385, 257);
    page.setDefaults();
    page.panel().selectOptionRAMPercent(0);
    window.show();
    QCoreApplication::processEvents();

    constexpr int kReads = 5000;
    const double readUs = cpuMicrosecondsEach(kReads, [&] { (void)memory->GlobalMemoryStatus(); });
    const double refreshUs = cpuMicrosecondsEach(kReads, [&] {
        page.RefreshMemoryPanel();
        QCoreApplication::processEvents(); // the status line is painted
    });
    MainTicker counting;
    volatile int due = 0;
    const double tickNs = cpuMicrosecondsEach(10'000'000, [&] { due = due + counting.tick().refreshPanel; }) * 1000;

    // A timer for a few seconds: what an idle program costs, beside what the event loop's wake-ups cost alone.
    auto idlePercent = [&](const std::function<void()>& onTick) {
        QTimer timer;
        QObject::connect(&timer, &QTimer::timeout, onTick);
        timer.start(100);
        QElapsedTimer wall;
        wall.start();
        const double start = cpuSeconds();
        QTimer::singleShot(5000, &app, &QCoreApplication::quit);
        app.exec();
        return 100.0 * (cpuSeconds() - start) / (static_cast<double>(wall.elapsed()) / 1000.0);
    };
    int refreshes = 0;
    const double bareFirst = idlePercent([] {});
    const double idle = idlePercent([&] {
        if (ticker.tick().refreshPanel) {
            page.RefreshMemoryPanel();
            ++refreshes;
        }
    });
    const double bareAfter = idlePercent([] {});
    const double bare = (bareFirst + bareAfter) / 2;

    std::printf("one memory figures read:          %7.1f us CPU  (/proc/meminfo and /proc/swaps)\n", readUs);
    std::printf("one panel refresh (incl. paint):  %7.1f us CPU  (%.2f x a figures read)\n", refreshUs,
                refreshUs / readUs);
    std::printf("one GlobalTimer tick, counters:   %7.1f ns CPU\n", tickNs);
    std::printf("event loop alone, 100 ms timer:   %7.3f %% of one core (%.3f before, %.3f after)\n", bare, bareFirst,
                bareAfter);
    std::printf("idle with GlobalTimer, 5 s:       %7.3f %% of one core, %d refreshes\n", idle, refreshes);
    std::printf("GlobalTimer beyond the wake-ups:  %7.3f %% of one core, %.1f us a tick  (goal <= 0.05 %%)\n",
                idle - bare, (idle - bare) / 100.0 * 0.1 * 1e6);
    return 0;
}
