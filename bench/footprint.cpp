// Idle footprint: resident memory of the program with its main window shown, beside a minimal Qt Widgets program
// (one label, one 100 ms timer), both started on one Xvfb display in this run. Prints both figures and the ratio:
// once among this machine's processes, and (as root) once more in a PID namespace of its own with 10,000 sleeping
// processes, which the program lists and sweeps. Meanwhile it takes the idle program's CPU time beside the same
// minimal program whose timer does nothing: the event loop's own wake-ups.
#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <climits>
#include <filesystem>
#include <fstream>
#include <string>
#include <thread>
#include <vector>

#include "SleepingChildren.h"
#include "platform/linux/LinuxStorePaths.h"
#include "settings/LanguageSetting.h"

extern char** environ;

namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;

constexpr auto kSettle = 8s;    // splash, main window, silent update check and the first panel refreshes
constexpr int kSamples = 20;    // one every half second after settling
constexpr double kGoal = 1.2;
constexpr double kIdleGoalPercent = 0.05;
constexpr int kManyProcesses = 10000;
constexpr const char* kInNamespace = "--in-own-pid-namespace";

pid_t spawn(const std::vector<std::string>& argv, const std::vector<std::string>& env, int stdoutFd = -1,
            int stderrFd = -1) {
    std::vector<char*> args;
    for (const auto& a : argv)
        args.push_back(const_cast<char*>(a.c_str()));
    args.push_back(nullptr);
    std::vector<char*> envp;
    for (const auto& e : env)
        envp.push_back(const_cast<char*>(e.c_str()));
    envp.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    if (stdoutFd >= 0)
        posix_spawn_file_actions_adddup2(&actions, stdoutFd, STDOUT_FILENO);
    if (stderrFd >= 0)
        posix_spawn_file_actions_adddup2(&actions, stderrFd, STDERR_FILENO);
    pid_t pid = -1;
    if (posix_spawnp(&pid, args[0], &actions, nullptr, args.data(), envp.data()) != 0)
        pid = -1;
    posix_spawn_file_actions_destroy(&actions);
    return pid;
}

void end(pid_t pid) {
    if (pid <= 0)
        return;
    kill(pid, SIGTERM);
    int status = 0;
    waitpid(pid, &status, 0);
}

bool running(pid_t pid) {
    int status = 0;
    return waitpid(pid, &status, WNOHANG) == 0;
}

// Resident set size in KiB, 0 when the process is gone.
long residentKiB(pid_t pid) {
    std::ifstream status("/proc/" + std::to_string(pid) + "/status");
    for (std::string line; std::getline(status, line);) {
        if (line.rfind("VmRSS:", 0) == 0)
            return std::stol(line.substr(6));
    }
    return 0;
}

// CPU time of every thread of the process so far, in seconds (the scheduler's nanosecond account).
double cpuSeconds(pid_t pid) {
    double total = 0;
    std::error_code error;
    for (const auto& task : fs::directory_iterator("/proc/" + std::to_string(pid) + "/task", error)) {
        std::ifstream stat(task.path() / "schedstat");
        unsigned long long ns = 0;
        if (stat >> ns)
            total += static_cast<double>(ns) / 1e9;
    }
    return total;
}

// The program lists every process, so a machine busy with thousands of them raises its figure.
long processCount() {
    long count = 0;
    for (const auto& entry : fs::directory_iterator("/proc")) {
        const std::string name = entry.path().filename().string();
        count += !name.empty() && name.find_first_not_of("0123456789") == std::string::npos;
    }
    return count;
}

// Starts Xvfb on a free display and returns its number, or -1.
int startXvfb(pid_t& pid) {
    int fds[2];
    if (pipe(fds) != 0)
        return -1;
    const int quiet = open("/dev/null", O_WRONLY | O_CLOEXEC);
    pid = spawn({"Xvfb", "-displayfd", std::to_string(fds[1]), "-screen", "0", "1024x768x24", "-nolisten", "tcp"},
                {"PATH=/usr/bin:/bin"}, quiet, quiet);
    close(quiet);
    close(fds[1]);
    std::string number;
    char c = 0;
    while (read(fds[0], &c, 1) == 1 && c != '\n')
        number += c;
    close(fds[0]);
    return number.empty() ? -1 : std::stoi(number);
}

// A fresh user whose stored language is English, so the program starts straight to its main window.
std::vector<std::string> profileEnvironment(const fs::path& root, int display) {
    fs::create_directories(root / "config");
    fs::create_directories(root / "runtime");
    fs::permissions(root / "runtime", fs::perms::owner_all);
    auto store = kelvora::createFileRegistry((root / "config" / "Talvek" / "kelvora-2008.reg").string());
    kelvora::saveCurLang(*store, "English");
    std::vector<std::string> env;
    for (char** e = environ; *e != nullptr; ++e) {
        const std::string entry(*e);
        if (entry.rfind("QT_", 0) != 0 && entry.rfind("XDG_", 0) != 0 && entry.rfind("WAYLAND_", 0) != 0 &&
            entry.rfind("DISPLAY=", 0) != 0 && entry.rfind("HOME=", 0) != 0)
            env.push_back(entry);
    }
    env.push_back("DISPLAY=:" + std::to_string(display));
    env.push_back("QT_QPA_PLATFORM=xcb");
    env.push_back("HOME=" + root.string());
    env.push_back("XDG_CONFIG_HOME=" + (root / "config").string());
    env.push_back("XDG_RUNTIME_DIR=" + (root / "runtime").string());
    env.push_back("KELVORA_VENDOR_URL=http://127.0.0.1:9"); // the silent check fails at once, without the network
    return env;
}

// Both programs on a display of their own; false when either did not start or ended before it was measured.
bool measure() {
    const fs::path here = fs::canonical("/proc/self/exe").parent_path();
    pid_t xvfb = -1;
    const int display = startXvfb(xvfb);
    if (display < 0) {
        std::fprintf(stderr, "footprint: Xvfb did not start\n");
        end(xvfb);
        return false;
    }
    char rootTemplate[] = "/tmp/kelvora-footprint-XXXXXX";
    const fs::path root = mkdtemp(rootTemplate);
    const auto env = profileEnvironment(root, display);
    const int quiet = open("/dev/null", O_WRONLY | O_CLOEXEC);
    const pid_t baseline = spawn({(here / "kelvora_minimal_widgets").string()}, env, quiet, quiet);
    const pid_t program = spawn({(here / "kelvora2008").string()}, env, quiet, quiet);
    const pid_t still = spawn({(here / "kelvora_minimal_widgets").string(), "--still"}, env, quiet, quiet);

    std::this_thread::sleep_for(kSettle);
    long baselineKiB = 0;
    long programKiB = 0;
    const auto idleStart = std::chrono::steady_clock::now();
    const double programCpuStart = cpuSeconds(program), stillCpuStart = cpuSeconds(still);
    for (int i = 0; i < kSamples && running(baseline) && running(program); ++i) {
        baselineKiB = std::max(baselineKiB, residentKiB(baseline));
        programKiB = std::max(programKiB, residentKiB(program));
        std::this_thread::sleep_for(500ms);
    }
    const double idleSeconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - idleStart).count();
    const double programIdle = 100 * (cpuSeconds(program) - programCpuStart) / idleSeconds;
    const double stillIdle = 100 * (cpuSeconds(still) - stillCpuStart) / idleSeconds;
    const long processes = processCount();
    const bool bothRan = running(baseline) && running(program) && baselineKiB > 0 && programKiB > 0;
    end(still);
    end(program);
    end(baseline);
    end(xvfb);
    close(quiet);
    fs::remove_all(root);
    if (!bothRan) {
        std::fprintf(stderr, "footprint: a program ended before it was measured\n");
        return false;
    }
    const double ratio = static_cast<double>(programKiB) / static_cast<double>(baselineKiB);
    std::printf("with %ld processes:\n", processes);
    std::printf("  minimal Qt Widgets program:      %5.1f MiB resident\n", baselineKiB / 1024.0);
    std::printf("  Kelvora 2008, main window shown: %5.1f MiB resident\n", programKiB / 1024.0);
    std::printf("  ratio: %.2f (goal: at most %.2f)\n", ratio, kGoal);
    std::printf("  idle CPU over %.0f s: Kelvora 2008 %.3f %% of one core, a 100 ms timer doing nothing %.3f %%\n",
                idleSeconds, programIdle, stillIdle);
    std::printf("    beyond the timer's wake-ups: %.3f %% (goal: the whole program at most %.2f %%)\n",
                programIdle - stillIdle, kIdleGoalPercent);
    std::fflush(stdout);
    return true;
}

// Runs this benchmark again in a PID namespace of its own (as root only), where the program's sweep reaches only
// what the benchmark started.
bool measureAmongManyProcesses() {
    if (::geteuid() != 0) {
        std::printf("with %d processes: not measured (needs root for a PID namespace)\n", kManyProcesses);
        return true;
    }
    char self[PATH_MAX];
    const ssize_t length = ::readlink("/proc/self/exe", self, sizeof self - 1);
    if (length <= 0)
        return false;
    self[length] = '\0';
    std::vector<std::string> env;
    for (char** e = environ; *e != nullptr; ++e)
        env.emplace_back(*e);
    const pid_t child = spawn({"unshare", "--pid", "--fork", "--mount-proc", self, kInNamespace}, env);
    int status = 0;
    return child > 0 && ::waitpid(child, &status, 0) == child && WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

} // namespace

int main(int argc, char** argv) {
    if (argc > 1 && std::strcmp(argv[1], kInNamespace) == 0) {
        // Started before anything else, so that each fork copies a small process.
        const std::vector<pid_t> children = kelvora::bench::startSleepingChildren(kManyProcesses);
        const bool measured = measure();
        kelvora::bench::endChildren(children);
        return measured ? 0 : 1;
    }
    const bool measured = measure();
    return measured && measureAmongManyProcesses() ? 0 : 1;
}
