// The desktop's opener started without a shell, and the host name as the computer's name.
#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>
#include <thread>

#include "platform/Shell.h"
#include "platform/linux/OomScore.h"

extern char** environ;

namespace kelvora {
namespace {

// Any value above 32 means "started", as the shell's convention has it.
constexpr std::int32_t kOpenerStarted = 42;

class LinuxShell : public Shell {
public:
    std::int32_t ShellOpen(const std::string& target) override {
        // The opener would read a leading '-' as one of its options.
        if (target.empty() || target.front() == '-')
            return 0;
        pid_t pid = 0;
        if (!spawnOpener(target, pid))
            return 0;
        // Nobody waits for the opener; a detached reaper keeps it from lingering as a zombie.
        std::thread([pid] {
            int status = 0;
            while (waitpid(pid, &status, 0) < 0 && errno == EINTR) {
            }
        }).detach();
        return kOpenerStarted;
    }

    std::string GetComputerName() override {
        char buffer[256] = {};
        if (gethostname(buffer, sizeof buffer - 1) != 0)
            return {};
        return std::string(buffer); // up to the first NUL
    }

private:
    static bool spawnOpener(const std::string& target, pid_t& pid) {
        posix_spawn_file_actions_t actions;
        posix_spawnattr_t attributes;
        if (posix_spawn_file_actions_init(&actions) != 0)
            return false;
        if (posix_spawnattr_init(&attributes) != 0) {
            posix_spawn_file_actions_destroy(&actions);
            return false;
        }
        // The opener (and the browser it starts) must hold none of our descriptors, such as the instance lock.
        posix_spawn_file_actions_addopen(&actions, STDIN_FILENO, "/dev/null", O_RDONLY, 0);
        posix_spawn_file_actions_addclosefrom_np(&actions, STDERR_FILENO + 1);
        sigset_t noSignals;
        sigemptyset(&noSignals);
        sigset_t defaults;
        sigemptyset(&defaults);
        sigaddset(&defaults, SIGPIPE);
        posix_spawnattr_setsigmask(&attributes, &noSignals);
        posix_spawnattr_setsigdefault(&attributes, &defaults);
        // Its own session, so closing our terminal or process group does not take the browser down.
        posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETSID | POSIX_SPAWN_SETSIGMASK | POSIX_SPAWN_SETSIGDEF);

        std::string program = "xdg-open";
        std::string argument = target;
        char* argv[] = {program.data(), argument.data(), nullptr};
        int result = 0;
        spawnWithOrdinaryOomScore(
            [&] { result = posix_spawnp(&pid, "xdg-open", &actions, &attributes, argv, environ); });
        posix_spawnattr_destroy(&attributes);
        posix_spawn_file_actions_destroy(&actions);
        return result == 0;
    }
};

} // namespace

std::unique_ptr<Shell> createShell() {
    return std::make_unique<LinuxShell>();
}

} // namespace kelvora
