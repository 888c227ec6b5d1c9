// Processes from /proc: nice values stand for the priority classes.
#include "platform/linux/ProcessesLinux.h"

#include <dirent.h>
#include <fcntl.h>
#include <limits.h>
#include <sched.h>
#include <sys/resource.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <charconv>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <string_view>
#include <utility>

#include "platform/linux/CpuWeights.h"

namespace kelvora {
namespace {

constexpr unsigned long kKernelThreadFlag = 0x00200000; // PF_KTHREAD
constexpr int kCapSysNice = 23;

// Reads a small /proc file into `buffer`; the text read, or empty on failure.
std::string_view readSmallFile(const std::string& path, char* buffer, std::size_t size) {
    int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return {};
    ssize_t got = ::read(fd, buffer, size - 1);
    ::close(fd);
    if (got <= 0)
        return {};
    return {buffer, static_cast<std::size_t>(got)};
}

// 0, or the errno of the failed open or write.
int writeSmallFile(const std::string& path, std::string_view text) {
    int fd = ::open(path.c_str(), O_WRONLY | O_CLOEXEC);
    if (fd < 0)
        return errno;
    int error = ::write(fd, text.data(), text.size()) == static_cast<ssize_t>(text.size()) ? 0 : errno;
    ::close(fd);
    return error;
}

template <typename T> bool parseNumber(std::string_view text, T& value) {
    auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    return error == std::errc() && end != text.data();
}

// The fields of /proc/PID/stat that matter here.
struct StatFields {
    char state = '?';
    long session = 0;
    unsigned long flags = 0;
    int nice = 0;
    long threads = 1;
    int policy = 0;
};

std::optional<StatFields> parseStat(std::string_view text) {
    // The command name may hold spaces and parentheses: fields resume after the last ')'.
    auto close = text.rfind(')');
    if (close == std::string_view::npos)
        return std::nullopt;
    std::string_view rest = text.substr(close + 1);
    StatFields fields;
    int index = 2; // the field just before `rest`
    bool ok = true;
    while (!rest.empty()) {
        auto start = rest.find_first_not_of(" \n"); // a line cut short ends the fields
        if (start == std::string_view::npos)
            break;
        rest = rest.substr(start);
        auto end = rest.find_first_of(" \n");
        std::string_view field = rest.substr(0, end);
        rest = end == std::string_view::npos ? std::string_view{} : rest.substr(end);
        ++index;
        switch (index) {
        case 3:
            fields.state = field.empty() ? '?' : field[0];
            break;
        case 6:
            ok &= parseNumber(field, fields.session);
            break;
        case 9:
            ok &= parseNumber(field, fields.flags);
            break;
        case 19:
            ok &= parseNumber(field, fields.nice);
            break;
        case 20:
            ok &= parseNumber(field, fields.threads);
            break;
        case 41:
            ok &= parseNumber(field, fields.policy);
            break;
        default:
            break;
        }
        if (index == 41)
            break;
    }
    if (!ok || index < 19)
        return std::nullopt;
    return fields;
}

// True when the real or effective uid on the status file's Uid line is `uid`.
bool statusOwnedBy(std::string_view status, uid_t uid) {
    auto line = status.find("\nUid:");
    if (line == std::string_view::npos)
        return false;
    std::string_view rest = status.substr(line + 5);
    for (int i = 0; i < 2; ++i) {
        auto start = rest.find_first_not_of(" \t");
        if (start == std::string_view::npos)
            return false;
        rest = rest.substr(start);
        auto end = rest.find_first_of(" \t\n");
        unsigned long value = 0;
        if (!parseNumber(rest.substr(0, end), value))
            return false;
        if (value == uid)
            return true;
        if (end == std::string_view::npos)
            return false;
        rest = rest.substr(end);
    }
    return false;
}

// A nice limit of r lets a process's nice come down to 20 - r.
int lowestNiceForLimit(std::uint64_t limit) {
    return 20 - static_cast<int>(std::min<std::uint64_t>(limit, 40));
}

// The lowest nice the "Max nice priority" line of /proc/PID/limits allows; 20 (none lower) when unreadable.
int lowestNiceFromLimits(std::string_view limits) {
    constexpr std::string_view kLine = "\nMax nice priority";
    auto line = limits.find(kLine);
    if (line == std::string_view::npos)
        return 20;
    std::string_view rest = limits.substr(line + kLine.size());
    rest = rest.substr(std::min(rest.size(), rest.find_first_not_of(' ')));
    if (rest.starts_with("unlimited"))
        return -20;
    std::uint64_t limit = 0;
    return parseNumber(rest.substr(0, rest.find(' ')), limit) ? lowestNiceForLimit(limit) : 20;
}

bool defaultSetThreadNice(pid_t tid, int nice) {
    return ::setpriority(PRIO_PROCESS, static_cast<id_t>(tid), nice) == 0;
}

bool realtimePolicy(int policy) {
    return policy == SCHED_FIFO || policy == SCHED_RR || policy == SCHED_DEADLINE;
}

struct ThreadState {
    pid_t tid;
    int nice;
    int policy;
};

class LinuxProcesses;

class LinuxProcessHandle : public ProcessHandle {
public:
    LinuxProcessHandle(LinuxProcesses& owner, std::uint32_t pid, StatFields stat, std::optional<std::string> path)
        : owner_(owner), pid_(pid), stat_(stat), path_(std::move(path)) {}

    std::optional<std::string> ExecutablePath() override { return path_; }
    std::uint32_t GetPriorityClass() override { return priorityClassFromScheduling(stat_.policy, stat_.nice); }
    bool SetPriorityClass(std::uint32_t priorityClass) override;
    bool HasRealtimeThread() override;

private:
    const std::vector<ThreadState>& threads();

    LinuxProcesses& owner_;
    std::uint32_t pid_;
    StatFields stat_;
    std::optional<std::string> path_;
    std::optional<std::vector<ThreadState>> threads_; // read once, when first needed
};

class LinuxProcesses : public Processes {
public:
    explicit LinuxProcesses(LinuxProcessesOptions options)
        : options_(std::move(options)), weights_(options_.procRoot, options_.cgroupRoot) {
        if (!options_.setThreadNice)
            options_.setThreadNice = defaultSetThreadNice;
        if (!options_.procRoot.empty() && options_.procRoot.back() == '/')
            options_.procRoot.pop_back();
        if (!options_.setGroupNice)
            options_.setGroupNice = [root = options_.procRoot](std::uint32_t pid, int nice) {
                return writeSmallFile(root + '/' + std::to_string(pid) + "/autogroup", std::to_string(nice));
            };
        readAutogroupSetting();
    }

    int GetPlatformId() override { return VER_PLATFORM_WIN32_NT; }

    std::vector<std::uint32_t> EnumProcesses() override {
        // A new walk: the session groups may have been changed by someone else since the last one.
        readAutogroupSetting();
        groupNice_.clear();
        std::vector<std::uint32_t> ids;
        DIR* dir = ::opendir(options_.procRoot.c_str());
        if (!dir)
            return ids;
        while (dirent* entry = ::readdir(dir)) {
            std::uint32_t pid = 0;
            std::string_view name = entry->d_name;
            auto [end, error] = std::from_chars(name.data(), name.data() + name.size(), pid);
            if (error == std::errc() && end == name.data() + name.size() && pid != 0)
                ids.push_back(pid);
        }
        ::closedir(dir);
        // /proc lists in ascending order already; a fixture tree may not.
        std::sort(ids.begin(), ids.end());
        return ids;
    }

    std::unique_ptr<ProcessHandle> OpenProcess(std::uint32_t /*access*/, std::uint32_t processId) override {
        if (processId == 0)
            return nullptr;
        std::string base = options_.procRoot + '/' + std::to_string(processId);
        char buffer[1024];
        auto stat = parseStat(readSmallFile(base + "/stat", buffer, sizeof buffer));
        if (!stat)
            return nullptr;
        // Kernel threads are never touched. Their flag is the sure sign: a parent of 0 or 2 is not, since
        // inside a PID namespace pid 2 is an ordinary process and kernel threads are not listed at all.
        if ((stat->flags & kKernelThreadFlag) != 0)
            return nullptr;
        std::optional<std::string> path;
        char link[PATH_MAX];
        ssize_t length = ::readlink((base + "/exe").c_str(), link, sizeof link);
        if (length >= 0) {
            path.emplace(link, static_cast<std::size_t>(length));
        } else if (errno == ENOENT && stat->state != 'Z' && stat->state != 'X') {
            return nullptr; // no executable and not a zombie: a kernel thread
        }
        if (!mayChangePriorityOf(base))
            return nullptr;
        return std::make_unique<LinuxProcessHandle>(*this, processId, *stat, std::move(path));
    }

    std::optional<std::vector<std::string>> ProcessSnapshot() override { return std::nullopt; }

    // Sets every thread that is not at `nice` yet, read first so that a sweep writes only what changes. A thread
    // is left alone where the change could not be undone: a nice raised above what the kernel lets this program
    // lower it back to stays so for good, its process's turns in the foreground included (rtkit gives audio
    // threads a negative nice). The kernel judges a lowering against the target's RLIMIT_NICE, or our CAP_SYS_NICE.
    bool setProcessNice(std::uint32_t pid, const StatFields& stat, const std::vector<ThreadState>& threads, int nice) {
        const std::string base = options_.procRoot + '/' + std::to_string(pid);
        std::optional<int> lowest; // read from the target's limits when a thread first needs it
        bool ok = true;
        for (const ThreadState& thread : threads) {
            if (thread.nice == nice)
                continue;
            if (!lowest)
                lowest = options_.credentials.canRaisePriority ? -20 : targetLowestNice(base);
            if (std::min(thread.nice, nice) < *lowest) {
                ok = false;
                continue;
            }
            ok &= options_.setThreadNice(thread.tid, nice);
        }
        if (autogroupEnabled_)
            holdGroupNice(pid, stat.session, nice);
        if (!weights_.apply(pid, nice) && !saidUnreachable_) {
            saidUnreachable_ = true;
            std::fprintf(stderr, "Kelvora 2008: process %u runs in a cpu cgroup whose weight this program may not "
                                 "change, so its priority class has no effect against applications in other "
                                 "groups.\n", pid);
        }
        return ok;
    }

    // The kernel takes one session group change per 100 ms without CAP_SYS_ADMIN: the group asked for last (the
    // foreground process's) is written first, and a change refused for now stays for the next call.
    void ApplyHeldChanges() override {
        while (!heldGroups_.empty()) {
            const HeldGroupNice change = heldGroups_.front();
            const int error = options_.setGroupNice(change.pid, change.nice);
            if (error == EAGAIN)
                return;
            // Done, or never to be done through this process (it has ended, or the change is not permitted).
            heldGroups_.erase(heldGroups_.begin());
            if (error == 0)
                groupNice_[change.session] = change.nice;
        }
    }

    std::vector<std::uint32_t> DisplayServers() override {
        // Asked once: a display server outlives the program's session.
        if (!displayServers_)
            displayServers_ = options_.displayServers ? options_.displayServers() : displaySocketPeers();
        return *displayServers_;
    }

    // Each thread's id, nice and policy; a process of one thread needs no more than its stat.
    std::vector<ThreadState> threadStates(std::uint32_t pid, const StatFields& stat) {
        const std::string base = options_.procRoot + '/' + std::to_string(pid);
        const ThreadState mainThread{static_cast<pid_t>(pid), stat.nice, stat.policy};
        if (stat.threads <= 1)
            return {mainThread};
        std::vector<ThreadState> threads;
        if (DIR* dir = ::opendir((base + "/task").c_str())) {
            while (dirent* entry = ::readdir(dir)) {
                pid_t tid = 0;
                std::string_view name = entry->d_name;
                auto [end, error] = std::from_chars(name.data(), name.data() + name.size(), tid);
                if (error != std::errc() || end != name.data() + name.size())
                    continue;
                if (tid == mainThread.tid) {
                    threads.push_back(mainThread);
                    continue;
                }
                char buffer[1024];
                const std::string path = base + "/task/" + std::string(name) + "/stat";
                if (auto threadStat = parseStat(readSmallFile(path, buffer, sizeof buffer))) // ended: passed over
                    threads.push_back({tid, threadStat->nice, threadStat->policy});
            }
            ::closedir(dir);
        }
        if (threads.empty())
            threads.push_back(mainThread);
        return threads;
    }

private:
    struct HeldGroupNice {
        long session;
        std::uint32_t pid; // the group is written through this process's autogroup file
        int nice;
    };

    void readAutogroupSetting() {
        char buffer[16];
        auto text = readSmallFile(options_.procRoot + "/sys/kernel/sched_autogroup_enabled", buffer, sizeof buffer);
        autogroupEnabled_ = !text.empty() && text[0] == '1';
    }

    int targetLowestNice(const std::string& base) {
        char buffer[4096];
        return lowestNiceFromLimits(readSmallFile(base + "/limits", buffer, sizeof buffer));
    }

    // Nice orders threads only inside one session group: the group's own nice decides between applications.
    // The change is held until ApplyHeldChanges, so that the foreground process's group can go first.
    void holdGroupNice(std::uint32_t pid, long session, int nice) {
        std::erase_if(heldGroups_, [session](const HeldGroupNice& held) { return held.session == session; });
        auto known = groupNice_.find(session);
        if (known == groupNice_.end()) {
            char buffer[128];
            std::string_view text =
                readSmallFile(options_.procRoot + '/' + std::to_string(pid) + "/autogroup", buffer, sizeof buffer);
            auto at = text.find(" nice ");
            int current = 0;
            if (at == std::string_view::npos || !parseNumber(text.substr(at + 6), current))
                return;
            known = groupNice_.emplace(session, current).first;
        }
        // A group's nice goes below 0 only within this program's own limit: an ask beyond it gets as near as it
        // may. A group that something privileged put lower still is left, as it could not be brought back.
        const int floor = std::min(0, options_.credentials.lowestNice);
        const int wanted = std::max(nice, floor);
        if (known->second == wanted || known->second < floor)
            return;
        heldGroups_.insert(heldGroups_.begin(), {session, pid, wanted});
    }

    bool mayChangePriorityOf(const std::string& base) {
        if (options_.credentials.canRaisePriority)
            return true;
        char buffer[4096];
        return statusOwnedBy(readSmallFile(base + "/status", buffer, sizeof buffer), options_.credentials.effectiveUid);
    }

    LinuxProcessesOptions options_;
    CpuWeights weights_; // put back when the program ends
    bool saidUnreachable_ = false;
    bool autogroupEnabled_ = false;
    std::map<long, int> groupNice_;         // session -> its group's nice, as last read or written in this walk
    std::vector<HeldGroupNice> heldGroups_; // most recently asked first, one per session
    std::optional<std::vector<std::uint32_t>> displayServers_;
};

const std::vector<ThreadState>& LinuxProcessHandle::threads() {
    if (!threads_)
        threads_ = owner_.threadStates(pid_, stat_);
    return *threads_;
}

bool LinuxProcessHandle::SetPriorityClass(std::uint32_t priorityClass) {
    const int nice = niceForPriorityClass(priorityClass);
    if (!owner_.setProcessNice(pid_, stat_, threads(), nice))
        return false;
    stat_.nice = nice; // every thread has it now, the main one included
    for (ThreadState& thread : *threads_)
        thread.nice = nice;
    return true;
}

bool LinuxProcessHandle::HasRealtimeThread() {
    if (realtimePolicy(stat_.policy))
        return true;
    const auto& all = threads();
    return std::any_of(all.begin(), all.end(), [](const ThreadState& t) { return realtimePolicy(t.policy); });
}

} // namespace

std::uint32_t priorityClassFromScheduling(int policy, int nice) {
    if (realtimePolicy(policy))
        return REALTIME_PRIORITY_CLASS;
    if (policy == SCHED_IDLE || nice >= 15)
        return IDLE_PRIORITY_CLASS;
    if (nice >= 1)
        return BELOW_NORMAL_PRIORITY_CLASS;
    if (nice == 0)
        return NORMAL_PRIORITY_CLASS;
    if (nice >= -9)
        return ABOVE_NORMAL_PRIORITY_CLASS;
    return HIGH_PRIORITY_CLASS;
}

int niceForPriorityClass(std::uint32_t priorityClass) {
    switch (priorityClass) {
    case IDLE_PRIORITY_CLASS:
        return 19;
    case BELOW_NORMAL_PRIORITY_CLASS:
        return 10;
    case ABOVE_NORMAL_PRIORITY_CLASS:
        return -5;
    case HIGH_PRIORITY_CLASS:
    case REALTIME_PRIORITY_CLASS:
        return -10; // the policy is left as it is: nice can give no more than high
    default:
        return 0;
    }
}

ProcessCredentials currentProcessCredentials() {
    ProcessCredentials credentials;
    credentials.effectiveUid = ::geteuid();
    char buffer[4096];
    std::string_view status = readSmallFile("/proc/self/status", buffer, sizeof buffer);
    auto line = status.find("\nCapEff:");
    if (line != std::string_view::npos) {
        std::string_view rest = status.substr(line + 8);
        rest = rest.substr(std::min(rest.size(), rest.find_first_not_of(" \t")));
        std::uint64_t mask = 0;
        std::from_chars(rest.data(), rest.data() + rest.size(), mask, 16);
        credentials.canRaisePriority = (mask >> kCapSysNice) & 1;
    }
    rlimit limit{};
    if (credentials.canRaisePriority)
        credentials.lowestNice = -20;
    else if (::getrlimit(RLIMIT_NICE, &limit) == 0)
        credentials.lowestNice = lowestNiceForLimit(limit.rlim_cur == RLIM_INFINITY ? 40 : limit.rlim_cur);
    return credentials;
}

std::unique_ptr<Processes> createLinuxProcesses(LinuxProcessesOptions options) {
    return std::make_unique<LinuxProcesses>(std::move(options));
}

std::unique_ptr<Processes> createProcesses() {
    return createLinuxProcesses(LinuxProcessesOptions{});
}

} // namespace kelvora
