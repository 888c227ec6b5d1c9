#include "update/transfer/linux/HelperTransfer.h"

#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <filesystem>
#include <mutex>
#include <system_error>
#include <thread>
#include <utility>
#include <vector>

#include "platform/linux/OomScore.h"
#include "update/transfer/linux/FetchAnswer.h"

extern char** environ;

namespace kelvora {

struct HelperTransfer::Run {
    pid_t pid = -1;
    int output = -1; // the read end of the helper's standard output, owned by the reading thread
    std::size_t limit = 0;
    std::atomic<bool> finished{false};

    std::mutex mutex; // guards the two members below
    bool reaped = false; // once true, `pid` may belong to another process and is never signalled
    std::function<void()> onFinished;

    // Written by the reading thread until `finished` is set.
    std::string header;
    std::string body;
};

namespace {

using Run = HelperTransfer::Run;

void readUntilEnd(Run& run) {
    std::string output;
    bool tooLong = false;
    char buffer[64 * 1024];
    for (;;) {
        const ssize_t length = read(run.output, buffer, sizeof buffer);
        if (length < 0 && errno == EINTR)
            continue;
        if (length <= 0)
            break;
        if (output.size() + static_cast<std::size_t>(length) > run.limit) {
            tooLong = true;
            break;
        }
        output.append(buffer, static_cast<std::size_t>(length));
    }
    close(run.output);
    if (tooLong)
        kill(run.pid, SIGKILL); // not reaped yet, so still our helper
    // Waits for the end but leaves the helper a zombie, so its id cannot pass to another process before Cancel
    // has learnt it must no longer signal it.
    siginfo_t ended{};
    while (waitid(P_PID, static_cast<id_t>(run.pid), &ended, WEXITED | WNOWAIT) < 0 && errno == EINTR) {
    }
    {
        std::lock_guard lock(run.mutex);
        run.reaped = true;
        waitpid(run.pid, nullptr, 0);
    }
    const bool complete = !tooLong && ended.si_code == CLD_EXITED && ended.si_status == 0;
    if (!complete || !parseFetchAnswer(output, run.header, run.body)) {
        run.header.clear();
        run.body.clear();
    }
    run.finished = true;
    std::lock_guard lock(run.mutex);
    if (run.onFinished)
        run.onFinished();
}

// Starts the helper with its standard output on a pipe; false when it cannot start.
bool spawnHelper(const std::string& helperPath, const std::string& url, const TransferOptions& options, Run& run) {
    int pipeEnds[2];
    if (pipe2(pipeEnds, O_CLOEXEC) != 0)
        return false;
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, STDIN_FILENO, "/dev/null", O_RDONLY, 0);
    posix_spawn_file_actions_adddup2(&actions, pipeEnds[1], STDOUT_FILENO);
    // Nothing else of ours, such as the single-instance lock, may live on in the helper.
    posix_spawn_file_actions_addclosefrom_np(&actions, STDERR_FILENO + 1);
    std::vector<std::string> arguments{helperPath, url, std::to_string(options.timeout.count()),
                                       std::to_string(options.maxBodyBytes), std::to_string(options.maxRedirects)};
    std::vector<char*> argv;
    argv.reserve(arguments.size() + 1);
    for (std::string& argument : arguments)
        argv.push_back(argument.data());
    argv.push_back(nullptr);
    int result = 0;
    spawnWithOrdinaryOomScore(
        [&] { result = posix_spawn(&run.pid, helperPath.c_str(), &actions, nullptr, argv.data(), environ); });
    posix_spawn_file_actions_destroy(&actions);
    close(pipeEnds[1]);
    if (result != 0) {
        close(pipeEnds[0]);
        return false;
    }
    run.output = pipeEnds[0];
    return true;
}

} // namespace

std::string fetchHelperPath() {
    std::error_code error;
    const std::filesystem::path self = std::filesystem::read_symlink("/proc/self/exe", error);
    const std::filesystem::path beside = self.parent_path() / "kelvora2008-fetch";
    // An installed program keeps its helper out of the PATH, in ../libexec/kelvora-2008 relative to itself.
    const std::filesystem::path installed = self.parent_path().parent_path() / "libexec/kelvora-2008/kelvora2008-fetch";
    return (std::filesystem::exists(beside, error) || !std::filesystem::exists(installed, error) ? beside : installed)
        .string();
}

HelperTransfer::HelperTransfer(std::string helperPath, TransferOptions options)
    : helperPath_(std::move(helperPath)), options_(options) {}

HelperTransfer::~HelperTransfer() {
    abandon();
}

void HelperTransfer::Execute(const std::string& url, const std::string& operation) {
    abandon();
    forgetAnswer();
    auto run = std::make_shared<Run>();
    run->limit = options_.maxBodyBytes + options_.maxHeaderBytes + 32;
    run->onFinished = finishedCallback();
    if (operation != "GET" || !spawnHelper(helperPath_, url, options_, *run)) {
        reportEndedHere();
        return;
    }
    run_ = run;
    try {
        // The reading thread holds the run too, so it may outlive this object once abandoned.
        std::thread([run] { readUntilEnd(*run); }).detach();
    } catch (const std::system_error&) {
        kill(run->pid, SIGKILL);
        waitpid(run->pid, nullptr, 0);
        close(run->output);
        run_.reset();
        reportEndedHere();
    }
}

bool HelperTransfer::StillExecuting() {
    if (!run_)
        return false;
    if (!run_->finished)
        return true;
    keepAnswer(std::move(run_->header), std::move(run_->body));
    run_.reset();
    return false;
}

void HelperTransfer::Cancel() {
    if (abandon())
        reportEndedHere();
}

bool HelperTransfer::abandon() {
    if (!StillExecuting())
        return false; // nothing runs; a finished answer stays readable
    {
        std::lock_guard lock(run_->mutex);
        run_->onFinished = nullptr;
        if (!run_->reaped)
            kill(run_->pid, SIGKILL); // the reading thread sees the pipe close and reaps it
    }
    run_.reset();
    return true;
}

} // namespace kelvora
