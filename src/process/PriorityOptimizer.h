#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "platform/Processes.h"

namespace kelvora {

class StringTable;
class ProcessListView;

// The text shown for a priority class (slots 212-217); empty for a value that is none of the six.
std::string PriorityClassName(const StringTable& strings, std::uint32_t priorityClass);

// A process list row: the executable's path cut to its first 60 characters, a tab and the class text.
std::string processRowText(const std::string& path, const std::string& className);

// 98/Me family: the text of a snapshot's executable field (the name up to its NUL, never the field's last character).
std::string snapshotRowText(const std::string& exeFileField);

// Whether the sweep treats the process as one it cannot open: what every window depends on (the display server
// or compositor, anything with a real-time thread such as the audio server) must never be lowered.
bool sweepLeavesAlone(std::uint32_t pid, ProcessHandle& process, const std::vector<std::uint32_t>& displayServers);

// The process list and the foreground/background priority policy of the CPU page.
class PriorityOptimizer {
public:
    // Never matches a window: the next check applies the policy.
    static constexpr std::uint64_t kNoWindow = ~std::uint64_t{0};
    static constexpr std::size_t kPathChars = 60;

    PriorityOptimizer(const StringTable& strings, Processes& processes, ForegroundWindows& foreground,
                      ProcessListView& view);

    // Rebuilds the list and the count; unless `ListOnly`, also gives every process it opens BackgroundClass.
    void RefreshProcessList(bool ListOnly);
    // Applies the policy when the foreground window has changed since the last check.
    void UpdateForegroundPriority();
    // Gives the process that owns `Window` ForegroundClass.
    void SetForegroundPriority(std::uint64_t Window);
    // Every GlobalTimer tick: the changes the system refused for the moment get another try.
    void RetryHeldChanges();
    // The option pairs: a choice applies the policy at once.
    void OptionFocus_Click(int Index);
    void OptionNonFocus_Click(int Index);

    std::uint32_t BackgroundClass = NORMAL_PRIORITY_CLASS;
    std::uint32_t ForegroundClass = ABOVE_NORMAL_PRIORITY_CLASS;
    std::uint64_t LastForegroundWindow = 0;
    // Rows after the last refresh; wider than a 16-bit count, which a busy Linux machine can exceed.
    std::int32_t TotalRunningProcess = 0;

private:
    void listByIdentifiers(bool ListOnly);
    void listBySnapshot();
    // The list as the last sweep left it, with the rows whose class may have changed since read afresh.
    void relistAfterSweep(std::uint32_t foregroundPid);
    std::uint32_t windowProcess(std::uint64_t window);
    void setForegroundClassOf(std::uint32_t pid);

    const StringTable& strings_;
    Processes& processes_;
    ForegroundWindows& foreground_;
    ProcessListView& view_;
    bool rowsByPid_ = false;              // the rows came from the identifier walk, one per rowPids_ entry
    std::vector<std::uint32_t> rowPids_;  // the process of each row
    std::vector<std::uint32_t> unsure_;   // swept processes whose change failed, in part or in whole
};

} // namespace kelvora
