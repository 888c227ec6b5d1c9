#pragma once
// Processes for a benchmark to run among: each sleeps until killed, and dies with the benchmark.
#include <signal.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <vector>

namespace kelvora::bench {

// Best started before anything large is loaded, so that each fork copies a small process.
inline std::vector<pid_t> startSleepingChildren(int count) {
    std::vector<pid_t> children;
    for (int i = 0; i < count; ++i) {
        pid_t pid = ::fork();
        if (pid == 0) {
            ::prctl(PR_SET_PDEATHSIG, SIGKILL); // never outlives the benchmark
            for (;;)
                ::pause();
        }
        if (pid > 0)
            children.push_back(pid);
    }
    return children;
}

inline void endChildren(const std::vector<pid_t>& children) {
    for (pid_t pid : children)
        ::kill(pid, SIGKILL);
    for (pid_t pid : children)
        ::waitpid(pid, nullptr, 0);
}

} // namespace kelvora::bench
