// Idle cost of GlobalTimer: CPU time per tick and per memory panel refresh, beside one read of /proc/meminfo.
#include <QApplication>
#include <QElapsedTimer>
#include <QTimer>
#include <cstdio>
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

    // The real timer for a few seconds: what an idle program costs.
    QTimer globalTimer;
    int refreshes = 0;
    QObject::connect(&globalTimer, &QTimer::timeout, [&] {
        if (ticker.tick().refreshPanel) {
            page.RefreshMemoryPanel();
            ++refreshes;
        }
    });
    globalTimer.start(100);
    QElapsedTimer wall;
    wall.start();
    const double idleStart = cpuSeconds();
    QTimer::singleShot(5000, &app, &QCoreApplication::quit);
    app.exec();
    const double idleCpu = cpuSeconds() - idleStart;
    const double wallSeconds = static_cast<double>(wall.elapsed()) / 1000.0;

    std::printf("one memory figures read:          %7.1f us CPU  (/proc/meminfo and /proc/swaps)\n", readUs);
    std::printf("one panel refresh (incl. paint):  %7.1f us CPU  (%.2f x a figures read)\n", refreshUs,
                refreshUs / readUs);
    std::printf("one GlobalTimer tick, counters:   %7.1f ns CPU\n", tickNs);
    std::printf("idle with GlobalTimer, %.1f s:    %7.3f %% of one core, %d refreshes, %.0f us CPU each tick+refresh\n",
                wallSeconds, 100.0 * idleCpu / wallSeconds, refreshes, idleCpu * 1e6 / (refreshes > 0 ? refreshes : 1));
    return 0;
}
