// Cost of the process list and of a focus change with 10,000 extra processes, against a bare scan of /proc.
// As root it re-runs itself in a PID namespace of its own, so the sweep reaches only the processes it started.
#include <dirent.h>
#include <fcntl.h>
#include <limits.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QApplication>
#include <algorithm>
#include <charconv>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <string>
#include <vector>

#include "SleepingChildren.h"
#include "frontend/AppServices.h"
#include "platform/Processes.h"
#include "platform/fake/FakeFileSystem.h"
#include "platform/fake/FakeMemoryInfo.h"
#include "platform/fake/FakeProcesses.h"
#include "platform/fake/FakeRegistry.h"
#include "platform/fake/FakeShell.h"
#include "process/PriorityOptimizer.h"
#include "process/ProcessListView.h"
#include "process/qt/CpuPage.h"
#include "process/qt/ProcessListModel.h"
#include "settings/StringTable.h"

namespace {

constexpr int kChildren = 10000;
constexpr int kRounds = 11;
constexpr const char* kInNamespace = "--in-own-pid-namespace";

double medianMs(int rounds, const std::function<void()>& run) {
    std::vector<double> times;
    for (int i = 0; i < rounds; ++i) {
        auto start = std::chrono::steady_clock::now();
        run();
        times.push_back(std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count());
    }
    std::sort(times.begin(), times.end());
    return times[times.size() / 2];
}

// The floor any lister pays: each process's executable link and nice value, nothing else.
long bareScan() {
    long sum = 0;
    DIR* dir = ::opendir("/proc");
    if (!dir)
        return 0;
    char path[300];
    char buffer[1024];
    while (dirent* entry = ::readdir(dir)) {
        if (entry->d_name[0] < '0' || entry->d_name[0] > '9')
            continue;
        std::snprintf(path, sizeof path, "/proc/%s/exe", entry->d_name);
        char link[PATH_MAX];
        ssize_t length = ::readlink(path, link, sizeof link);
        sum += length > 0 ? length : 0;
        std::snprintf(path, sizeof path, "/proc/%s/stat", entry->d_name);
        int fd = ::open(path, O_RDONLY | O_CLOEXEC);
        if (fd < 0)
            continue;
        ssize_t got = ::read(fd, buffer, sizeof buffer - 1);
        ::close(fd);
        if (got <= 0)
            continue;
        const char* p = static_cast<const char*>(::memrchr(buffer, ')', static_cast<std::size_t>(got)));
        const char* end = buffer + got;
        for (int field = 2; p && field < 19 && p < end; ++field)
            p = static_cast<const char*>(std::memchr(p + 1, ' ', static_cast<std::size_t>(end - p - 1)));
        int nice = 0;
        if (p)
            std::from_chars(p + 1, end, nice);
        sum += nice;
    }
    ::closedir(dir);
    return sum;
}

// True when this run may change priorities: it is alone in a PID namespace of its own.
bool enterOwnNamespace(int argc, char** argv) {
    if (argc > 1 && std::strcmp(argv[1], kInNamespace) == 0)
        return ::getpid() == 1;
    if (::geteuid() != 0)
        return false;
    char self[PATH_MAX];
    ssize_t length = ::readlink("/proc/self/exe", self, sizeof self - 1);
    if (length <= 0)
        return false;
    self[length] = '\0';
    std::fflush(stdout);
    ::execlp("unshare", "unshare", "--pid", "--fork", "--mount-proc", self, kInNamespace, static_cast<char*>(nullptr));
    return false; // unshare is missing: go on without a namespace, listing only
}

class NoListView : public kelvora::ProcessListView {
public:
    void suspendPainting() override {}
    void resumePainting() override {}
    void clearRows() override { rows_ = 0; }
    void addRow(const std::string&) override { ++rows_; }
    void replaceRow(int, const std::string&) override {}
    int rowCount() const override { return rows_; }
    void setCountText(const std::string&) override {}

private:
    int rows_ = 0;
};

} // namespace

int main(int argc, char** argv) {
    const bool ownNamespace = enterOwnNamespace(argc, argv);
    if (ownNamespace)
        ::setsid(); // a session of its own, so its session group is its own too
    // Started before Qt, so that each fork copies a small process.
    const std::vector<pid_t> children = kelvora::bench::startSleepingChildren(kChildren);
    qputenv("QT_QPA_PLATFORM", "offscreen");
    int qtArgc = 1;
    QApplication app(qtArgc, argv);

    using namespace kelvora;
    StringTable strings;
    for (int slot = 212; slot <= 219; ++slot)
        strings.set(slot, "class " + std::to_string(slot));
    fake::FakeFileSystem files;
    fake::FakeRegistry registry;
    fake::FakeMemoryInfo memory;
    fake::FakeTickClock clock;
    fake::FakeShell shell;
    fake::FakeForegroundWindows foreground;
    auto processes = createProcesses();
    AppServices services{strings, files, registry, memory, clock, *processes, foreground, shell, "http://127.0.0.1"};
    QWidget mainWindow;
    CpuPage page(services, &mainWindow, &mainWindow);
    mainWindow.resize(400, 300);
    mainWindow.show();
    PriorityOptimizer& optimizer = page.optimizer();

    foreground.owners = {{1, static_cast<std::uint32_t>(children.at(0))},
                         {2, static_cast<std::uint32_t>(children.at(1))}};
    std::printf("processes: %d started%s\n", static_cast<int>(children.size()),
                ownNamespace ? ", alone in a PID namespace" : " (no namespace of our own: the sweep is not measured)");

    bareScan(); // warm the caches
    const double bare = medianMs(kRounds, [] { bareScan(); });
    const double listing = medianMs(kRounds, [&] { optimizer.RefreshProcessList(true); });
    std::printf("bare /proc scan (exe link + nice):            %8.2f ms\n", bare);
    std::printf("RefreshProcessList, listing only (+ model):    %8.2f ms  ratio %.2f (goal <= 2)\n", listing,
                listing / bare);
    std::printf("rows listed: %d\n", page.processRows().rowCount());

    if (ownNamespace) {
        // The first change after choosing "below normal" for the background writes every process once.
        foreground.foreground = 1;
        const double first = medianMs(1, [&] { optimizer.OptionNonFocus_Click(1); });
        std::printf("first focus change, every process changed:    %8.2f ms\n", first);
        // Round by round beside the bare scan, so that both see the same load on a busy machine.
        std::vector<double> scans, changes;
        for (int round = 0; round < kRounds; ++round) {
            scans.push_back(medianMs(1, [] { bareScan(); }));
            foreground.foreground = foreground.foreground == 1 ? 2 : 1; // a new window: the whole policy runs
            changes.push_back(medianMs(1, [&] { optimizer.UpdateForegroundPriority(); }));
        }
        std::sort(scans.begin(), scans.end());
        std::sort(changes.begin(), changes.end());
        const double scan = scans[scans.size() / 2], update = changes[changes.size() / 2];
        std::printf("bare /proc scan, in the same rounds:           %8.2f ms\n", scan);
        std::printf("focus change (UpdateForegroundPriority):       %8.2f ms  ratio %.2f (goal <= 2)\n", update,
                    update / scan);
        int foregroundRows = 0;
        for (int row = 0; row < page.processRows().rowCount(); ++row)
            foregroundRows += page.processRows().text(row).endsWith(QStringLiteral("class 214"));
        std::printf("rows showing the foreground class afterwards: %d\n", foregroundRows);
        const double again = medianMs(kRounds, [&] { optimizer.RefreshProcessList(true); });
        std::printf("RefreshProcessList, listing only, once more:   %8.2f ms  ratio %.2f\n", again, again / bare);
    }

    // A check that finds no change costs reading the foreground window and nothing else.
    optimizer.LastForegroundWindow = foreground.foreground;
    const double unchanged = medianMs(kRounds * 40, [&] { optimizer.UpdateForegroundPriority(); }) * 1000.0;
    std::printf("UpdateForegroundPriority, no change (fake window):  %8.2f us\n", unchanged);
    if (ownNamespace && std::getenv("DISPLAY")) {
        // With a display, the real reader: one round trip to the X server per check.
        auto x11 = createForegroundWindows();
        NoListView noList;
        PriorityOptimizer checker(strings, *processes, *x11, noList);
        checker.LastForegroundWindow = x11->GetForegroundWindow();
        const double real = medianMs(kRounds * 40, [&] { checker.UpdateForegroundPriority(); }) * 1000.0;
        std::printf("UpdateForegroundPriority, no change (X11 window):   %8.2f us\n", real);
    }

    kelvora::bench::endChildren(children);
    return 0;
}
