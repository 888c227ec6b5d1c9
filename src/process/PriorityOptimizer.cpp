#include "process/PriorityOptimizer.h"

#include <algorithm>

#include "process/ProcessListView.h"
#include "settings/StringTable.h"

namespace kelvora {
namespace {

constexpr std::uint32_t kSweepAccess = PROCESS_QUERY_INFORMATION | PROCESS_SET_INFORMATION | PROCESS_VM_READ;

// Cuts after `count` characters without splitting a UTF-8 sequence.
std::string firstCharacters(const std::string& text, std::size_t count) {
    std::size_t seen = 0;
    for (std::size_t i = 0; i < text.size(); ++i) {
        bool startsCharacter = (static_cast<unsigned char>(text[i]) & 0xC0) != 0x80;
        if (startsCharacter && seen++ == count)
            return text.substr(0, i);
    }
    return text;
}

} // namespace

std::string PriorityClassName(const StringTable& strings, std::uint32_t priorityClass) {
    switch (priorityClass) {
    case IDLE_PRIORITY_CLASS:
        return strings[212];
    case BELOW_NORMAL_PRIORITY_CLASS:
        return strings[213];
    case ABOVE_NORMAL_PRIORITY_CLASS:
        return strings[214];
    case NORMAL_PRIORITY_CLASS:
        return strings[215];
    case HIGH_PRIORITY_CLASS:
        return strings[216];
    case REALTIME_PRIORITY_CLASS:
        return strings[217];
    default:
        return {};
    }
}

std::string processRowText(const std::string& path, const std::string& className) {
    std::string row = firstCharacters(path, PriorityOptimizer::kPathChars);
    // A path may hold any byte but '/' and NUL: control characters would break the row into columns or lines.
    for (char& c : row)
        if (static_cast<unsigned char>(c) < 0x20 || c == 0x7F)
            c = '?';
    row += '\t';
    row += className;
    return row;
}

std::string snapshotRowText(const std::string& exeFileField) {
    std::string field = exeFileField.empty() ? exeFileField : exeFileField.substr(0, exeFileField.size() - 1);
    return field.substr(0, field.find('\0'));
}

PriorityOptimizer::PriorityOptimizer(const StringTable& strings, Processes& processes, ForegroundWindows& foreground,
                                     ProcessListView& view)
    : strings_(strings), processes_(processes), foreground_(foreground), view_(view) {}

void PriorityOptimizer::RefreshProcessList(bool ListOnly) {
    view_.suspendPainting();
    view_.clearRows();
    rowsByPid_ = false;
    switch (processes_.GetPlatformId()) {
    case VER_PLATFORM_WIN32_WINDOWS:
        listBySnapshot();
        break;
    case VER_PLATFORM_WIN32_NT:
        listByIdentifiers(ListOnly);
        break;
    default:
        break;
    }
    TotalRunningProcess = view_.rowCount();
    view_.setCountText(strings_[218] + " " + std::to_string(TotalRunningProcess) + " " + strings_[219]);
    view_.resumePainting();
}

void PriorityOptimizer::listBySnapshot() {
    // This family shows names only and never has a class set by the sweep.
    auto snapshot = processes_.ProcessSnapshot();
    if (!snapshot)
        return;
    for (const auto& field : *snapshot)
        view_.addRow(snapshotRowText(field));
}

bool sweepLeavesAlone(std::uint32_t pid, ProcessHandle& process, const std::vector<std::uint32_t>& displayServers) {
    return std::find(displayServers.begin(), displayServers.end(), pid) != displayServers.end() ||
           process.HasRealtimeThread();
}

void PriorityOptimizer::listByIdentifiers(bool ListOnly) {
    const std::vector<std::uint32_t> displayServers = processes_.DisplayServers();
    rowPids_.clear();
    unsure_.clear();
    for (std::uint32_t pid : processes_.EnumProcesses()) {
        auto process = processes_.OpenProcess(kSweepAccess, pid);
        if (!process || sweepLeavesAlone(pid, *process, displayServers))
            continue;
        // Processes without a row get the class too. The row shows the class the sweep leaves in force, so that
        // the rebuild after the foreground change has only the rows that may differ to redo.
        if (!ListOnly && !process->SetPriorityClass(BackgroundClass))
            unsure_.push_back(pid);
        if (auto path = process->ExecutablePath()) {
            view_.addRow(processRowText(*path, PriorityClassName(strings_, process->GetPriorityClass())));
            rowPids_.push_back(pid);
        }
    }
    rowsByPid_ = true;
}

void PriorityOptimizer::relistAfterSweep(std::uint32_t foregroundPid) {
    if (!rowsByPid_) {
        RefreshProcessList(true);
        return;
    }
    // Only the foreground process and those whose change failed may show another class than the sweep saw.
    std::vector<std::uint32_t> reread = std::move(unsure_);
    reread.push_back(foregroundPid);
    std::sort(reread.begin(), reread.end());
    view_.suspendPainting();
    for (std::size_t row = 0; row < rowPids_.size(); ++row) {
        if (!std::binary_search(reread.begin(), reread.end(), rowPids_[row]))
            continue;
        auto process = processes_.OpenProcess(kSweepAccess, rowPids_[row]);
        auto path = process ? process->ExecutablePath() : std::nullopt;
        if (path) // one that has ended since keeps the row the sweep gave it
            view_.replaceRow(static_cast<int>(row),
                             processRowText(*path, PriorityClassName(strings_, process->GetPriorityClass())));
    }
    view_.resumePainting();
}

void PriorityOptimizer::UpdateForegroundPriority() {
    std::uint64_t window = foreground_.GetForegroundWindow();
    if (window == LastForegroundWindow)
        return;
    LastForegroundWindow = window;
    RefreshProcessList(false);
    const std::uint32_t pid = windowProcess(window);
    setForegroundClassOf(pid);
    // The foreground process was asked for last, so its session group is the first one written.
    processes_.ApplyHeldChanges();
    relistAfterSweep(pid);
}

void PriorityOptimizer::RetryHeldChanges() {
    processes_.ApplyHeldChanges();
}

void PriorityOptimizer::SetForegroundPriority(std::uint64_t Window) {
    setForegroundClassOf(windowProcess(Window));
}

std::uint32_t PriorityOptimizer::windowProcess(std::uint64_t window) {
    return window == 0 ? 0 : foreground_.GetWindowThreadProcessId(window);
}

void PriorityOptimizer::setForegroundClassOf(std::uint32_t pid) {
    if (pid == 0)
        return;
    if (auto process = processes_.OpenProcess(PROCESS_SET_INFORMATION, pid))
        process->SetPriorityClass(ForegroundClass);
}

void PriorityOptimizer::OptionFocus_Click(int Index) {
    ForegroundClass = Index == 0 ? ABOVE_NORMAL_PRIORITY_CLASS : NORMAL_PRIORITY_CLASS;
    LastForegroundWindow = kNoWindow;
    UpdateForegroundPriority();
}

void PriorityOptimizer::OptionNonFocus_Click(int Index) {
    BackgroundClass = Index == 0 ? NORMAL_PRIORITY_CLASS : BELOW_NORMAL_PRIORITY_CLASS;
    LastForegroundWindow = kNoWindow;
    UpdateForegroundPriority();
}

} // namespace kelvora
