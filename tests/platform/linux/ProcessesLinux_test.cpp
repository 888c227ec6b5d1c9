#include <gtest/gtest.h>
#include <sched.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>
#include <xcb/xcb.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>
#include <thread>

#include "platform/fake/FakeProcesses.h"
#include "platform/ProcessExit.h"
#include "platform/linux/CpuWeights.h"
#include "platform/linux/ProcessesLinux.h"
#include "process/PriorityOptimizer.h"
#include "process/ProcessListView.h"
#include "settings/StringTable.h"
#include "support/TestPaths.h"

namespace kelvora {
namespace {

namespace fs = std::filesystem;

TEST(NiceMappingTest, SchedulingReadsAsAClass) {
    struct Case {
        int policy;
        int nice;
        std::uint32_t expected;
    };
    const Case cases[] = {
        {SCHED_FIFO, 0, REALTIME_PRIORITY_CLASS},       {SCHED_RR, 19, REALTIME_PRIORITY_CLASS},
        {SCHED_IDLE, 0, IDLE_PRIORITY_CLASS},           {SCHED_IDLE, -20, IDLE_PRIORITY_CLASS},
        {SCHED_OTHER, 19, IDLE_PRIORITY_CLASS},         {SCHED_OTHER, 15, IDLE_PRIORITY_CLASS},
        {SCHED_OTHER, 14, BELOW_NORMAL_PRIORITY_CLASS}, {SCHED_BATCH, 1, BELOW_NORMAL_PRIORITY_CLASS},
        {SCHED_OTHER, 0, NORMAL_PRIORITY_CLASS},        {SCHED_OTHER, -1, ABOVE_NORMAL_PRIORITY_CLASS},
        {SCHED_OTHER, -9, ABOVE_NORMAL_PRIORITY_CLASS}, {SCHED_OTHER, -10, HIGH_PRIORITY_CLASS},
        {SCHED_OTHER, -20, HIGH_PRIORITY_CLASS},
    };
    for (const auto& c : cases)
        EXPECT_EQ(priorityClassFromScheduling(c.policy, c.nice), c.expected) << c.policy << " " << c.nice;
}

TEST(NiceMappingTest, ClassesSetAsNiceValuesThatReadBack) {
    const std::pair<std::uint32_t, int> table[] = {
        {IDLE_PRIORITY_CLASS, 19},         {BELOW_NORMAL_PRIORITY_CLASS, 10}, {NORMAL_PRIORITY_CLASS, 0},
        {ABOVE_NORMAL_PRIORITY_CLASS, -5}, {HIGH_PRIORITY_CLASS, -10},
    };
    for (auto [priorityClass, nice] : table) {
        EXPECT_EQ(niceForPriorityClass(priorityClass), nice) << priorityClass;
        EXPECT_EQ(priorityClassFromScheduling(SCHED_OTHER, nice), priorityClass) << priorityClass;
    }
}

// A /proc tree written by the test: nothing in it is a real process, and no real priority changes.
class ProcFixture {
public:
    explicit ProcFixture(const std::string& root) : root_(root) {
        fs::create_directories(root_ + "/sys/kernel");
        write("sys/kernel/sched_autogroup_enabled", "1\n");
    }

    struct Entry {
        int pid;
        std::string comm = "proc";
        char state = 'S';
        int parent = 1;
        int session = 1;
        unsigned long flags = 0x400100;
        int nice = 0;
        int policy = 0;
        unsigned realUid = 1000;
        unsigned effectiveUid = 1000;
        std::string exe = "/usr/bin/tool"; // empty: no executable link
        std::vector<int> threads{};        // the main thread is added
        int threadNice = 0;                // the other threads'
        int threadPolicy = 0;              // the other threads'
    };

    void add(const Entry& e) {
        const std::string dir = std::to_string(e.pid);
        fs::create_directories(root_ + "/" + dir + "/task/" + dir);
        for (int tid : e.threads)
            fs::create_directories(root_ + "/" + dir + "/task/" + std::to_string(tid));
        std::ostringstream stat;
        stat << e.pid << " (" << e.comm << ") " << e.state << ' ' << e.parent << ' ' << e.pid << ' ' << e.session
             << " 0 -1 " << e.flags << " 0 0 0 0 0 0 0 0 20 " << e.nice << ' ' << 1 + e.threads.size();
        for (int field = 21; field <= 40; ++field)
            stat << " 0";
        stat << ' ' << e.policy << " 0 0 0\n";
        write(dir + "/stat", stat.str());
        for (int tid : e.threads) { // of a thread the backend reads only its nice and policy
            std::string thread = "1 (t) S 1 1 1 0 -1 0 0 0 0 0 0 0 0 0 20 " + std::to_string(e.threadNice) + " 1";
            for (int field = 21; field <= 40; ++field)
                thread += " 0";
            write(dir + "/task/" + std::to_string(tid) + "/stat", thread + ' ' + std::to_string(e.threadPolicy) + '\n');
        }
        write(dir + "/limits", "Limit  Soft Limit  Hard Limit\nMax nice priority  20  20\n"); // back down to 0
        write(dir + "/status", "Name:\t" + e.comm + "\nState:\tS\nUid:\t" + std::to_string(e.realUid) + "\t" +
                                   std::to_string(e.effectiveUid) + "\t0\t0\nGid:\t0\t0\t0\t0\n");
        write(dir + "/autogroup", "/autogroup-" + std::to_string(e.session) + " nice 0\n");
        if (!e.exe.empty())
            fs::create_symlink(e.exe, root_ + "/" + dir + "/exe");
    }

    std::string read(const std::string& relative) const {
        std::ifstream in(root_ + "/" + relative);
        return std::string(std::istreambuf_iterator<char>(in), {});
    }

private:
    void write(const std::string& relative, const std::string& text) { std::ofstream(root_ + "/" + relative) << text; }
    std::string root_;
};

class NullView : public ProcessListView {
public:
    std::vector<std::string> rows;
    void suspendPainting() override {}
    void resumePainting() override {}
    void clearRows() override { rows.clear(); }
    void addRow(const std::string& text) override { rows.push_back(text); }
    void replaceRow(int index, const std::string& text) override { rows.at(static_cast<std::size_t>(index)) = text; }
    int rowCount() const override { return static_cast<int>(rows.size()); }
    void setCountText(const std::string&) override {}
};

class FixtureProcTest : public ::testing::Test {
protected:
    FixtureProcTest() : proc(temp.path()) {
        proc.add({.pid = 1, .comm = "init", .parent = 0, .realUid = 0, .effectiveUid = 0, .exe = "/sbin/init"});
        proc.add(
            {.pid = 2, .comm = "kthreadd", .parent = 0, .flags = 0x208040, .realUid = 0, .effectiveUid = 0, .exe = ""});
        proc.add({.pid = 3,
                  .comm = "kworker/0:0-events",
                  .parent = 2,
                  .flags = 0x4208060,
                  .realUid = 0,
                  .effectiveUid = 0,
                  .exe = ""});
        proc.add({.pid = 10, .comm = "editor (main)", .session = 10, .exe = "/usr/bin/editor", .threads = {11, 12}});
        proc.add({.pid = 20, .comm = "other", .session = 20, .realUid = 1234, .effectiveUid = 1234});
        proc.add({.pid = 30, .comm = "zombie", .state = 'Z', .session = 10, .exe = ""});
        proc.add({.pid = 40, .comm = "no exe", .exe = ""});
        proc.add({.pid = 50, .comm = "setuid", .session = 50, .realUid = 1000, .effectiveUid = 0});
        proc.add({.pid = 60, .comm = "rt", .session = 60, .nice = -3, .policy = SCHED_FIFO, .exe = "/usr/bin/audio"});
        proc.add({.pid = 70, .comm = "player", .session = 70, .threads = {71}, .threadNice = -5}); // rtkit's doing
    }

    LinuxProcessesOptions options(bool canRaise) {
        LinuxProcessesOptions options;
        options.procRoot = temp.path();
        // Without the capability, a nice limit that lets nice come back down to 0.
        options.credentials = {1000, canRaise, canRaise ? -20 : 0};
        options.setThreadNice = [this](pid_t tid, int nice) {
            niceSet[tid] = nice;
            return true;
        };
        options.displayServers = [this] { return displayServers; };
        return options;
    }
    std::unique_ptr<Processes> backend(bool canRaise) { return createLinuxProcesses(options(canRaise)); }

    test::TempDir temp;
    ProcFixture proc;
    std::map<pid_t, int> niceSet;
    std::vector<std::uint32_t> displayServers;
};

TEST_F(FixtureProcTest, KernelThreadsAndOtherUsersProcessesAreNeverTouched) {
    StringTable strings;
    strings.set(213, "Below normal");
    strings.set(215, "Normal");
    strings.set(217, "Real-time");
    fake::FakeForegroundWindows foreground;
    foreground.foreground = 0x77;
    foreground.owners = {{0x77, 20}}; // even as the foreground process
    NullView view;
    auto processes = backend(false);
    PriorityOptimizer optimizer(strings, *processes, foreground, view);
    optimizer.BackgroundClass = BELOW_NORMAL_PRIORITY_CLASS;
    optimizer.UpdateForegroundPriority();

    // The real-time process at nice -3 and the player's thread at -5 keep theirs: none could come back below 0.
    const std::map<pid_t, int> expected{{10, 10}, {11, 10}, {12, 10}, {30, 10}, {50, 10}, {70, 10}};
    EXPECT_EQ(niceSet, expected);
    // Rows for readable paths only: the zombie is swept without one, the real-time process left out. A row shows
    // the class set (the fixture's stat files do not change); the player, whose change failed in part, is read again.
    EXPECT_EQ(view.rows, (std::vector<std::string>{"/usr/bin/editor\tBelow normal", "/usr/bin/tool\tBelow normal",
                                                   "/usr/bin/tool\tNormal"}));
}

TEST_F(FixtureProcTest, ThePrivilegeOpensOtherUsersProcessesButNeverKernelThreads) {
    auto processes = backend(true);
    for (std::uint32_t pid : {2u, 3u, 40u, 99u})
        EXPECT_EQ(processes->OpenProcess(PROCESS_SET_INFORMATION, pid), nullptr) << pid;
    EXPECT_NE(processes->OpenProcess(PROCESS_SET_INFORMATION, 1), nullptr); // init's parent is 0 too
    auto other = processes->OpenProcess(PROCESS_SET_INFORMATION, 20);
    ASSERT_NE(other, nullptr);
    EXPECT_EQ(other->ExecutablePath(), "/usr/bin/tool");
    EXPECT_TRUE(other->SetPriorityClass(ABOVE_NORMAL_PRIORITY_CLASS));
    EXPECT_EQ(niceSet, (std::map<pid_t, int>{{20, -5}}));
}

TEST_F(FixtureProcTest, SettingAClassReachesEveryThreadAndTheSessionGroupOnce) {
    auto processes = backend(false);
    auto ids = processes->EnumProcesses();
    EXPECT_EQ(ids.size(), 10u);
    auto editor = processes->OpenProcess(PROCESS_SET_INFORMATION, 10);
    auto zombie = processes->OpenProcess(PROCESS_SET_INFORMATION, 30);
    ASSERT_NE(editor, nullptr);
    ASSERT_NE(zombie, nullptr);
    EXPECT_EQ(zombie->ExecutablePath(), std::nullopt);
    EXPECT_TRUE(editor->SetPriorityClass(IDLE_PRIORITY_CLASS));
    EXPECT_EQ(niceSet, (std::map<pid_t, int>{{10, 19}, {11, 19}, {12, 19}}));
    EXPECT_EQ(editor->GetPriorityClass(), IDLE_PRIORITY_CLASS); // the list after a sweep shows it without a reread
    processes->ApplyHeldChanges();
    EXPECT_EQ(proc.read("10/autogroup").substr(0, 2), "19");
    EXPECT_FALSE(editor->SetPriorityClass(ABOVE_NORMAL_PRIORITY_CLASS)); // the threads may not go below 0...
    EXPECT_EQ(editor->GetPriorityClass(), IDLE_PRIORITY_CLASS);
    processes->ApplyHeldChanges();
    EXPECT_EQ(proc.read("10/autogroup")[0], '0'); // ...and the group goes as near to -5 as this program may
}

TEST_F(FixtureProcTest, TheForegroundGroupIsWrittenFirstAndRefusedGroupsAreRetriedOnLaterTicks) {
    std::vector<std::pair<std::uint32_t, int>> written;
    auto rateLimited = options(true);
    // The kernel takes one group change per 100 ms: here every other write is refused.
    rateLimited.setGroupNice = [&written, attempts = 0](std::uint32_t pid, int nice) mutable {
        if (attempts++ % 2 != 0)
            return EAGAIN;
        written.emplace_back(pid, nice);
        return 0;
    };
    auto processes = createLinuxProcesses(rateLimited);
    StringTable strings;
    fake::FakeForegroundWindows foreground;
    foreground.owners[foreground.foreground = 0x77] = 50;
    NullView view;
    PriorityOptimizer optimizer(strings, *processes, foreground, view);
    optimizer.OptionNonFocus_Click(1); // the sweep's below normal, then above normal for the foreground
    for (int tick = 0; tick < 7; ++tick)
        optimizer.RetryHeldChanges();
    // The foreground's group at once, then one a tick, the editor's through the zombie that shares it.
    EXPECT_EQ(written,
              (std::vector<std::pair<std::uint32_t, int>>{{50, -5}, {70, 10}, {30, 10}, {20, 10}, {1, 10}}));
}

// What every window depends on is left as if it could not be opened, unless it is the foreground itself.
TEST_F(FixtureProcTest, TheDisplayServerAndRealtimeProcessesAreLeftAlone) {
    proc.add({.pid = 80, .comm = "compositor", .session = 80, .exe = "/usr/bin/compositor"});
    proc.add({.pid = 90, .comm = "pipewire", .session = 90, .exe = "/usr/bin/pipewire", .threads = {91},
              .threadPolicy = SCHED_RR});
    proc.add({.pid = 95, .comm = "game", .session = 95, .exe = "/usr/bin/game", .threads = {96},
              .threadPolicy = SCHED_FIFO});
    displayServers = {80};
    StringTable strings;
    fake::FakeForegroundWindows foreground;
    foreground.owners[foreground.foreground = 0x95] = 95;
    NullView view;
    auto processes = backend(true);
    PriorityOptimizer optimizer(strings, *processes, foreground, view);
    optimizer.BackgroundClass = BELOW_NORMAL_PRIORITY_CLASS;
    optimizer.UpdateForegroundPriority();
    for (pid_t untouched : {80, 90, 91, 60})
        EXPECT_EQ(niceSet.count(untouched), 0u) << untouched;
    EXPECT_EQ(niceSet[10], 10);
    EXPECT_EQ(niceSet[95], -5); // the foreground step reaches it all the same
    EXPECT_EQ(niceSet[96], -5);
    for (const std::string& row : view.rows)
        EXPECT_EQ(row.find("compositor"), std::string::npos) << row;
    EXPECT_EQ(proc.read("80/autogroup"), "/autogroup-80 nice 0\n");
}

// Between applications in cpu cgroups of their own nice does nothing: their groups' weights carry the classes, and
// what the program set goes back at its end unless someone has changed it since.
TEST_F(FixtureProcTest, ApplicationsInCpuCgroupsOfTheirOwnGetTheWeightOfTheirClass) {
    EXPECT_EQ(cgroupV2WeightOfNice(0), 100);
    EXPECT_EQ(cgroupV2WeightOfNice(10), 11);
    EXPECT_EQ(cgroupV2WeightOfNice(-10), 932);
    EXPECT_EQ(cgroupV2WeightOfNice(19), 1);
    EXPECT_EQ(cgroupV1SharesOfNice(19), 15);
    const std::string cg = temp.path() + "/cg";
    const auto put = [](const std::string& path, const std::string& text) {
        fs::create_directories(fs::path(path).parent_path());
        std::ofstream(path) << text;
    };
    put(cg + "/user.slice/app-editor.scope/cpu.weight", "100\n"); // v2, delegated to the user
    put(cg + "/cpu/app-player/cpu.shares", "1024\n");              // v1
    put(cg + "/user.slice/own.scope/cpu.weight", "100\n");         // the program's own group
    put(temp.path() + "/self/cgroup", "1:cpu:/\n0::/user.slice/own.scope\n");
    put(temp.path() + "/10/cgroup", "1:cpu:/\n0::/user.slice/app-editor.scope\n");
    put(temp.path() + "/70/cgroup", "2:cpu,cpuacct:/app-player\n0::/\n");
    put(temp.path() + "/50/cgroup", "1:cpu:/\n0::/user.slice/own.scope\n");
    auto settings = options(false);
    settings.cgroupRoot = cg;
    auto processes = createLinuxProcesses(settings);
    StringTable strings;
    fake::FakeForegroundWindows foreground;
    foreground.owners[foreground.foreground = 0x70] = 70;
    NullView view;
    PriorityOptimizer optimizer(strings, *processes, foreground, view);
    optimizer.BackgroundClass = BELOW_NORMAL_PRIORITY_CLASS;
    optimizer.UpdateForegroundPriority();
    EXPECT_EQ(proc.read("cg/user.slice/app-editor.scope/cpu.weight"), "11");
    EXPECT_EQ(proc.read("cg/cpu/app-player/cpu.shares"), "3121"); // the foreground: above normal
    EXPECT_EQ(proc.read("cg/user.slice/own.scope/cpu.weight"), "100\n");

    put(cg + "/user.slice/app-editor.scope/cpu.weight", "50\n"); // someone else's choice now
    processes.reset();
    EXPECT_EQ(proc.read("cg/user.slice/app-editor.scope/cpu.weight"), "50\n");
    EXPECT_EQ(proc.read("cg/cpu/app-player/cpu.shares"), "1024");

    // "Exit" ends the process at once, past every destructor: the weights go back all the same.
    EXPECT_EXIT(
        {
            auto again = createLinuxProcesses(settings);
            PriorityOptimizer exiting(strings, *again, foreground, view);
            exiting.BackgroundClass = BELOW_NORMAL_PRIORITY_CLASS;
            exiting.UpdateForegroundPriority();
            std::fprintf(stderr, "before exit %s\n", proc.read("cg/cpu/app-player/cpu.shares").c_str());
            endProcessNow();
        },
        ::testing::ExitedWithCode(0), "before exit 3121");
    EXPECT_EQ(proc.read("cg/cpu/app-player/cpu.shares"), "1024");
}

TEST_F(FixtureProcTest, TheClassIsReadFromPolicyAndNice) {
    auto processes = backend(false);
    auto audio = processes->OpenProcess(PROCESS_QUERY_INFORMATION, 60);
    ASSERT_NE(audio, nullptr);
    EXPECT_EQ(audio->GetPriorityClass(), REALTIME_PRIORITY_CLASS);
    EXPECT_EQ(processes->OpenProcess(PROCESS_QUERY_INFORMATION, 10)->GetPriorityClass(), NORMAL_PRIORITY_CLASS);
    EXPECT_EQ(processes->GetPlatformId(), VER_PLATFORM_WIN32_NT);
    EXPECT_EQ(processes->ProcessSnapshot(), std::nullopt);
}

// A child of this test in its own session (so its session group is its own) with several sleeping threads.
class ThreadedChild {
public:
    explicit ThreadedChild(int extraThreads) {
        int ready[2];
        if (::pipe(ready) != 0)
            return;
        pid_ = ::fork();
        if (pid_ == 0) {
            ::setsid();
            for (int i = 0; i < extraThreads; ++i)
                std::thread([] { ::pause(); }).detach();
            [[maybe_unused]] auto written = ::write(ready[1], "r", 1);
            for (;;)
                ::pause();
        }
        ::close(ready[1]);
        char byte;
        [[maybe_unused]] auto got = ::read(ready[0], &byte, 1);
        ::close(ready[0]);
    }
    ~ThreadedChild() {
        if (pid_ <= 0)
            return;
        ::kill(pid_, SIGKILL);
        ::waitpid(pid_, nullptr, 0);
    }
    pid_t pid() const { return pid_; }

    std::vector<int> threadNices() const {
        std::vector<int> nices;
        for (const auto& task : fs::directory_iterator("/proc/" + std::to_string(pid_) + "/task")) {
            std::ifstream in(task.path() / "stat");
            std::string text(std::istreambuf_iterator<char>(in), {});
            std::istringstream fields(text.substr(text.rfind(')') + 2));
            std::string field;
            for (int index = 3; index <= 19 && fields >> field; ++index) {
            }
            nices.push_back(std::stoi(field));
        }
        return nices;
    }

private:
    pid_t pid_ = -1;
};

TEST(RealProcessTest, AClassIsSetOnEveryThreadOfTheProcess) {
    ThreadedChild child(3);
    ASSERT_GT(child.pid(), 0);
    // The child ends with the test: nothing needs to be undone, so a nice limit does not matter.
    LinuxProcessesOptions options;
    options.credentials.canRaisePriority = true;
    auto processes = createLinuxProcesses(options);
    auto handle = processes->OpenProcess(PROCESS_SET_INFORMATION, static_cast<std::uint32_t>(child.pid()));
    ASSERT_NE(handle, nullptr);
    EXPECT_TRUE(handle->ExecutablePath().has_value());
    // Raising nice needs no privilege.
    EXPECT_TRUE(handle->SetPriorityClass(BELOW_NORMAL_PRIORITY_CLASS));
    EXPECT_EQ(child.threadNices(), std::vector<int>(4, 10));
    EXPECT_TRUE(handle->SetPriorityClass(IDLE_PRIORITY_CLASS));
    EXPECT_EQ(child.threadNices(), std::vector<int>(4, 19));
    auto reopened = processes->OpenProcess(PROCESS_QUERY_INFORMATION, static_cast<std::uint32_t>(child.pid()));
    ASSERT_NE(reopened, nullptr);
    EXPECT_EQ(reopened->GetPriorityClass(), IDLE_PRIORITY_CLASS);
}

TEST(RealProcessTest, ThisProgramCanOpenItselfButNotAKernelThread) {
    auto processes = createProcesses();
    auto self = processes->OpenProcess(PROCESS_QUERY_INFORMATION, static_cast<std::uint32_t>(::getpid()));
    ASSERT_NE(self, nullptr);
    EXPECT_EQ(self->ExecutablePath(), fs::read_symlink("/proc/self/exe").string());
    // Outside a PID namespace pid 2 is the kernel's thread starter.
    std::ifstream comm("/proc/2/comm");
    std::string name;
    if (comm >> name && name == "kthreadd") {
        EXPECT_EQ(processes->OpenProcess(PROCESS_SET_INFORMATION, 2), nullptr);
    }
}

TEST(PriorityEffectTest, TheForegroundClassGetsTheCpuTimeTheBackgroundOneGivesUp) {
    if (!currentProcessCredentials().canRaisePriority)
        GTEST_SKIP() << "needs CAP_SYS_NICE (root, or setpriv --ambient-caps=+sys_nice): else no nice is changed";
    // Two busy children on one CPU in the test's session group, whose held change the test never applies.
    cpu_set_t one;
    CPU_ZERO(&one);
    CPU_SET(::sched_getcpu(), &one);
    std::vector<std::uint32_t> busy;
    for (int i = 0; i < 2; ++i) {
        const pid_t pid = ::fork();
        if (pid == 0) {
            ::sched_setaffinity(0, sizeof one, &one);
            ::alarm(10); // never left spinning, whatever becomes of the test
            for (volatile unsigned spin = 0;;)
                spin = spin + 1;
        }
        ASSERT_GT(pid, 0);
        busy.push_back(static_cast<std::uint32_t>(pid));
    }
    auto processes = createProcesses();
    const std::uint32_t classes[] = {ABOVE_NORMAL_PRIORITY_CLASS, BELOW_NORMAL_PRIORITY_CLASS}; // "Wysoki", "Niski"
    for (int i = 0; i < 2; ++i)
        EXPECT_TRUE(processes->OpenProcess(PROCESS_SET_INFORMATION, busy[i])->SetPriorityClass(classes[i]));
    ::sleep(1);
    double seconds[2] = {};
    for (int i = 0; i < 2; ++i) {
        rusage usage{};
        ::kill(busy[i], SIGKILL);
        ::wait4(busy[i], nullptr, 0, &usage);
        seconds[i] = static_cast<double>(usage.ru_utime.tv_sec) + static_cast<double>(usage.ru_utime.tv_usec) / 1e6;
    }
    std::printf("CPU time over one second, foreground : background = %.1f : 1\n", seconds[0] / seconds[1]);
    EXPECT_GE(seconds[0], 3 * seconds[1]);
}

TEST(ForegroundWindowsTest, AWindowsProcessIsTheOneTheXServerNamesNotTheOneItClaims) {
    int ready[2];
    ASSERT_EQ(::pipe(ready), 0);
    const pid_t server = ::fork(); // an X server of the test's own, on a display number it picks
    if (server == 0) {
        ::execlp("Xvfb", "Xvfb", "-displayfd", std::to_string(ready[1]).c_str(), "-nolisten", "tcp", nullptr);
        ::_exit(127);
    }
    ASSERT_GT(server, 0);
    const std::shared_ptr<void> end(nullptr, [=](void*) { ::kill(server, SIGTERM), ::waitpid(server, nullptr, 0); });
    ::close(ready[1]);
    char number[16] = {};
    if (::read(ready[0], number, sizeof number - 1) <= 0)
        GTEST_SKIP() << "Xvfb could not be started";
    ::setenv("DISPLAY", (":" + std::to_string(std::atoi(number))).c_str(), 1);
    xcb_connection_t* client = xcb_connect(nullptr, nullptr);
    const xcb_screen_t* screen = xcb_setup_roots_iterator(xcb_get_setup(client)).data;
    const xcb_window_t window = xcb_generate_id(client);
    xcb_create_window(client, 0, window, screen->root, 0, 0, 9, 9, 0, 0, screen->root_visual, 0, nullptr);
    auto* atom = xcb_intern_atom_reply(client, xcb_intern_atom(client, 0, 11, "_NET_WM_PID"), nullptr);
    const auto claimed = static_cast<std::uint32_t>(::getppid()); // the window claims to be its parent's
    xcb_change_property(client, XCB_PROP_MODE_REPLACE, window, atom->atom, XCB_ATOM_CARDINAL, 32, 1, &claimed);
    std::free(atom);
    std::free(xcb_get_input_focus_reply(client, xcb_get_input_focus(client), nullptr)); // all of it has arrived
    EXPECT_EQ(createForegroundWindows()->GetWindowThreadProcessId(window), static_cast<std::uint32_t>(::getpid()));
    ::unsetenv("WAYLAND_DISPLAY");
    EXPECT_EQ(displaySocketPeers(), std::vector<std::uint32_t>{static_cast<std::uint32_t>(server)}); // the sweep's
    xcb_disconnect(client);
}

TEST(ForegroundWindowsTest, WithoutADisplayThereIsNoForegroundWindow) {
    const char* display = std::getenv("DISPLAY");
    const std::string saved = display ? display : "";
    ::unsetenv("DISPLAY");
    auto windows = createForegroundWindows();
    EXPECT_EQ(windows->GetForegroundWindow(), 0u);
    EXPECT_EQ(windows->GetWindowThreadProcessId(0x400001), 0u);
    if (display)
        ::setenv("DISPLAY", saved.c_str(), 1);
}

} // namespace
} // namespace kelvora
