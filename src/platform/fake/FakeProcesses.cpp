#include "platform/fake/FakeProcesses.h"

namespace kelvora::fake {
namespace {

class FakeProcessHandle : public ProcessHandle {
public:
    FakeProcessHandle(FakeProcesses& owner, std::uint32_t pid, bool mayQuery)
        : owner_(owner), pid_(pid), mayQuery_(mayQuery) {
        ++owner_.openHandles;
    }
    ~FakeProcessHandle() override { --owner_.openHandles; }

    std::optional<std::string> ExecutablePath() override {
        FakeProcess* process = owner_.find(pid_);
        if (!process || !mayQuery_)
            return std::nullopt;
        return process->path;
    }
    std::uint32_t GetPriorityClass() override {
        FakeProcess* process = owner_.find(pid_);
        return process && mayQuery_ ? process->priorityClass : 0;
    }
    bool SetPriorityClass(std::uint32_t priorityClass) override {
        FakeProcess* process = owner_.find(pid_);
        if (!process || process->refusesClassChange)
            return false;
        process->priorityClass = priorityClass;
        owner_.changes.push_back({pid_, priorityClass});
        return true;
    }

private:
    FakeProcesses& owner_;
    std::uint32_t pid_;
    bool mayQuery_;
};

} // namespace

FakeProcess& FakeProcesses::add(std::uint32_t pid, std::optional<std::string> path, std::uint32_t priorityClass) {
    processes.push_back(FakeProcess{pid, std::move(path), priorityClass});
    return processes.back();
}

FakeProcess* FakeProcesses::find(std::uint32_t pid) {
    for (auto& process : processes)
        if (process.pid == pid)
            return &process;
    return nullptr;
}

std::optional<std::uint32_t> FakeProcesses::lastSet(std::uint32_t pid) const {
    std::optional<std::uint32_t> last;
    for (const auto& change : changes)
        if (change.pid == pid)
            last = change.priorityClass;
    return last;
}

std::vector<std::uint32_t> FakeProcesses::EnumProcesses() {
    ++walks;
    std::vector<std::uint32_t> ids;
    for (const auto& process : processes)
        ids.push_back(process.pid);
    return ids;
}

std::unique_ptr<ProcessHandle> FakeProcesses::OpenProcess(std::uint32_t access, std::uint32_t processId) {
    FakeProcess* process = find(processId);
    if (!process)
        return nullptr;
    bool wantsQuery = (access & (PROCESS_QUERY_INFORMATION | PROCESS_VM_READ)) != 0;
    if (wantsQuery ? !process->canOpenForSweep : !process->canOpenForSet)
        return nullptr;
    return std::make_unique<FakeProcessHandle>(*this, processId, wantsQuery);
}

std::optional<std::vector<std::string>> FakeProcesses::ProcessSnapshot() {
    ++snapshots;
    return snapshot;
}

} // namespace kelvora::fake
