#include <gtest/gtest.h>

#include "platform/fake/FakeProcesses.h"
#include "process/PriorityOptimizer.h"
#include "process/ProcessListView.h"
#include "settings/StringTable.h"

namespace kelvora {
namespace {

using fake::FakeForegroundWindows;
using fake::FakeProcesses;

class RecordingView : public ProcessListView {
public:
    std::vector<std::string> rows;
    std::string countText;
    int suspended = 0;
    int rebuilds = 0;
    int replaced = 0;
    std::vector<int> rowsAtResume;

    void suspendPainting() override { ++suspended; }
    void resumePainting() override {
        --suspended;
        rowsAtResume.push_back(static_cast<int>(rows.size()));
    }
    void clearRows() override {
        ++rebuilds;
        rows.clear();
    }
    void addRow(const std::string& text) override { rows.push_back(text); }
    void replaceRow(int index, const std::string& text) override {
        rows.at(static_cast<std::size_t>(index)) = text;
        ++replaced;
    }
    int rowCount() const override { return static_cast<int>(rows.size()); }
    void setCountText(const std::string& text) override { countText = text; }
};

class PriorityOptimizerTest : public ::testing::Test {
protected:
    PriorityOptimizerTest() {
        const char* names[] = {"Idle", "Below normal", "Above normal", "Normal", "High", "Real-time"};
        for (int i = 0; i < 6; ++i)
            strings.set(212 + i, names[i]);
        strings.set(218, "Processes:");
        strings.set(219, "running");
    }

    StringTable strings;
    FakeProcesses processes;
    FakeForegroundWindows foreground;
    RecordingView view;
    PriorityOptimizer optimizer{strings, processes, foreground, view};
};

TEST(PriorityClassNameTest, EachClassHasItsSlotAndOtherValuesNone) {
    StringTable strings;
    for (int slot = 212; slot <= 217; ++slot)
        strings.set(slot, "slot " + std::to_string(slot));
    const std::pair<std::uint32_t, int> table[] = {
        {IDLE_PRIORITY_CLASS, 212},   {BELOW_NORMAL_PRIORITY_CLASS, 213}, {ABOVE_NORMAL_PRIORITY_CLASS, 214},
        {NORMAL_PRIORITY_CLASS, 215}, {HIGH_PRIORITY_CLASS, 216},         {REALTIME_PRIORITY_CLASS, 217},
    };
    for (auto [value, slot] : table)
        EXPECT_EQ(PriorityClassName(strings, value), strings[slot]) << value;
    EXPECT_EQ(PriorityClassName(strings, 0), "");
    EXPECT_EQ(PriorityClassName(strings, 0x1234), "");
}

TEST(RowTextTest, PathsAreCutAtSixtyCharactersWithoutSplittingOne) {
    const std::string seventyFive = "/opt/" + std::string(70, 'a');
    EXPECT_EQ(processRowText(seventyFive, "Normal"), seventyFive.substr(0, 60) + "\tNormal");
    EXPECT_EQ(processRowText("/bin/sh", "High"), "/bin/sh\tHigh");
    // 59 ASCII characters, then two-byte characters: the 60th stays whole, the 61st goes.
    const std::string wide = std::string(59, 'x') + "\xC3\xA9\xC3\xA9";
    EXPECT_EQ(processRowText(wide, ""), std::string(59, 'x') + "\xC3\xA9\t");
    // A tab or line break inside a path must not make a column or a line of its own.
    EXPECT_EQ(processRowText("/tmp/a\tb\nc", "Idle"), "/tmp/a?b?c\tIdle");
}

TEST(RowTextTest, SnapshotFieldsShowTheNameUpToItsEnd) {
    std::string field = "EXPLORER.EXE";
    field.resize(260, '\0');
    EXPECT_EQ(snapshotRowText(field), "EXPLORER.EXE");
    // A field with no terminator loses its last character, as the list never saw it.
    EXPECT_EQ(snapshotRowText(std::string(260, 'n')), std::string(259, 'n'));
    EXPECT_EQ(snapshotRowText(""), "");
}

TEST_F(PriorityOptimizerTest, RowsOnlyForOpenedProcessesWithReadablePaths) {
    // 100 processes: 20 cannot be opened, 5 of the others have no readable path.
    for (std::uint32_t pid = 1; pid <= 100; ++pid) {
        auto& process = processes.add(pid, "/usr/bin/p" + std::to_string(pid));
        if (pid > 80)
            process.canOpenForSweep = false;
        if (pid > 75 && pid <= 80)
            process.path.reset();
    }
    optimizer.RefreshProcessList(true);
    ASSERT_EQ(view.rows.size(), 75u);
    EXPECT_EQ(view.rows.front(), "/usr/bin/p1\tNormal");
    EXPECT_EQ(view.rows.back(), "/usr/bin/p75\tNormal");
    EXPECT_EQ(optimizer.TotalRunningProcess, 75);
    EXPECT_EQ(view.countText, "Processes: 75 running");
    EXPECT_TRUE(processes.changes.empty());
    EXPECT_EQ(view.suspended, 0);
    EXPECT_EQ(view.rowsAtResume, std::vector<int>{75});
    EXPECT_EQ(processes.openHandles, 0);
}

TEST_F(PriorityOptimizerTest, RowsKeepTheSystemsOrderAndShowEachClass) {
    processes.add(30, "/c", REALTIME_PRIORITY_CLASS);
    processes.add(10, "/a", IDLE_PRIORITY_CLASS);
    processes.add(20, "/b", ABOVE_NORMAL_PRIORITY_CLASS);
    optimizer.RefreshProcessList(true);
    EXPECT_EQ(view.rows, (std::vector<std::string>{"/c\tReal-time", "/a\tIdle", "/b\tAbove normal"}));
    // A second rebuild starts from scratch.
    processes.processes.pop_back();
    optimizer.RefreshProcessList(true);
    EXPECT_EQ(view.rows.size(), 2u);
    EXPECT_EQ(view.countText, "Processes: 2 running");
}

TEST_F(PriorityOptimizerTest, SweepGivesEveryOpenedProcessTheBackgroundClass) {
    processes.add(1, "/sbin/init", HIGH_PRIORITY_CLASS);
    processes.add(2, std::nullopt, IDLE_PRIORITY_CLASS);                   // no row, still swept
    processes.add(3, "/usr/bin/kelvora2008", ABOVE_NORMAL_PRIORITY_CLASS); // this program
    processes.add(4, "/usr/sbin/daemon", REALTIME_PRIORITY_CLASS).canOpenForSweep = false;
    processes.add(5, "/usr/bin/stubborn", NORMAL_PRIORITY_CLASS).refusesClassChange = true;
    optimizer.BackgroundClass = BELOW_NORMAL_PRIORITY_CLASS;
    optimizer.RefreshProcessList(false);

    EXPECT_EQ(processes.lastSet(1), BELOW_NORMAL_PRIORITY_CLASS);
    EXPECT_EQ(processes.lastSet(2), BELOW_NORMAL_PRIORITY_CLASS);
    EXPECT_EQ(processes.lastSet(3), BELOW_NORMAL_PRIORITY_CLASS);
    EXPECT_EQ(processes.lastSet(4), std::nullopt);
    EXPECT_EQ(processes.find(4)->priorityClass, REALTIME_PRIORITY_CLASS);
    EXPECT_EQ(processes.find(5)->priorityClass, NORMAL_PRIORITY_CLASS);
    // The rows show the class each process has after the sweep; a failed change is not reported.
    EXPECT_EQ(view.rows, (std::vector<std::string>{"/sbin/init\tBelow normal", "/usr/bin/kelvora2008\tBelow normal",
                                                   "/usr/bin/stubborn\tNormal"}));
}

TEST_F(PriorityOptimizerTest, OldFamilyListsNamesOnlyAndNeverSetsAClass) {
    processes.platformId = VER_PLATFORM_WIN32_WINDOWS;
    std::string kernel = "KERNEL32.DLL";
    kernel.resize(260, '\0');
    std::string explorer = "EXPLORER.EXE";
    explorer.resize(260, '\0');
    processes.snapshot = std::vector<std::string>{kernel, explorer};
    processes.add(7, "/should/not/be/used");
    optimizer.RefreshProcessList(false);
    EXPECT_EQ(view.rows, (std::vector<std::string>{"KERNEL32.DLL", "EXPLORER.EXE"}));
    EXPECT_EQ(view.countText, "Processes: 2 running");
    EXPECT_TRUE(processes.changes.empty());
    EXPECT_EQ(processes.walks, 0);
}

TEST_F(PriorityOptimizerTest, NoSnapshotOrAnUnknownFamilyLeavesTheListEmpty) {
    processes.add(7, "/bin/x");
    for (int platform : {VER_PLATFORM_WIN32_WINDOWS, 0, 3}) {
        view.rows = {"stale row"};
        processes.platformId = platform;
        optimizer.RefreshProcessList(false);
        EXPECT_TRUE(view.rows.empty()) << platform;
        EXPECT_EQ(optimizer.TotalRunningProcess, 0);
        EXPECT_EQ(view.countText, "Processes: 0 running");
    }
    EXPECT_TRUE(processes.changes.empty());
}

class PolicyTest : public PriorityOptimizerTest {
protected:
    PolicyTest() {
        processes.add(100, "/usr/bin/kelvora2008");
        processes.add(200, "/usr/bin/editor");
        processes.add(300, "/usr/bin/player", IDLE_PRIORITY_CLASS);
        processes.add(400, "/usr/sbin/guarded", HIGH_PRIORITY_CLASS).canOpenForSweep = false;
        foreground.owners = {{0x100, 100}, {0x200, 200}, {0x201, 200}, {0x400, 400}};
    }
};

TEST_F(PolicyTest, AChangeOfWindowSweepsSetsTheForegroundAndRedoesOnlyItsRow) {
    processes.add(500, "/usr/bin/stubborn", HIGH_PRIORITY_CLASS).refusesClassChange = true;
    foreground.foreground = 0x200;
    optimizer.UpdateForegroundPriority();

    EXPECT_EQ(optimizer.LastForegroundWindow, 0x200u);
    // One walk: the rows the sweep made are kept, and only those that may differ since are read again.
    EXPECT_EQ(processes.walks, 1);
    EXPECT_EQ(view.rebuilds, 1);
    EXPECT_EQ(view.replaced, 2);
    EXPECT_EQ(view.suspended, 0);
    EXPECT_EQ(processes.openHandles, 0);
    ASSERT_FALSE(processes.changes.empty());
    // The sweep comes first, the foreground process last.
    EXPECT_EQ(processes.changes.back().pid, 200u);
    EXPECT_EQ(processes.changes.back().priorityClass, ABOVE_NORMAL_PRIORITY_CLASS);
    EXPECT_EQ(processes.lastSet(100), NORMAL_PRIORITY_CLASS);
    EXPECT_EQ(processes.lastSet(300), NORMAL_PRIORITY_CLASS);
    EXPECT_EQ(processes.lastSet(400), std::nullopt);
    // The second rebuild shows the classes now in force.
    EXPECT_EQ(view.rows, (std::vector<std::string>{"/usr/bin/kelvora2008\tNormal", "/usr/bin/editor\tAbove normal",
                                                   "/usr/bin/player\tNormal", "/usr/bin/stubborn\tHigh"}));
    EXPECT_EQ(view.countText, "Processes: 4 running");
}

TEST_F(PolicyTest, AnUnchangedWindowCostsOnlyReadingIt) {
    foreground.foreground = 0x200;
    optimizer.UpdateForegroundPriority();
    const auto changes = processes.changes.size();
    const int reads = foreground.reads;
    for (int i = 0; i < 5; ++i)
        optimizer.UpdateForegroundPriority();
    EXPECT_EQ(foreground.reads, reads + 5);
    EXPECT_EQ(processes.walks, 1);
    EXPECT_EQ(view.rebuilds, 1);
    EXPECT_EQ(processes.changes.size(), changes);
}

TEST_F(PolicyTest, EachWindowChangeMovesTheProgramAndThePreviousWindowToTheBackground) {
    foreground.foreground = 0x100; // the program's own window
    optimizer.UpdateForegroundPriority();
    EXPECT_EQ(processes.find(100)->priorityClass, ABOVE_NORMAL_PRIORITY_CLASS);
    EXPECT_EQ(processes.find(200)->priorityClass, NORMAL_PRIORITY_CLASS);

    foreground.foreground = 0x200;
    optimizer.UpdateForegroundPriority();
    EXPECT_EQ(processes.find(100)->priorityClass, NORMAL_PRIORITY_CLASS);
    EXPECT_EQ(processes.find(200)->priorityClass, ABOVE_NORMAL_PRIORITY_CLASS);

    // Another window of the same process is still a change.
    foreground.foreground = 0x201;
    optimizer.UpdateForegroundPriority();
    EXPECT_EQ(processes.walks, 3);
    EXPECT_EQ(processes.find(200)->priorityClass, ABOVE_NORMAL_PRIORITY_CLASS);
}

TEST_F(PolicyTest, NoForegroundWindowStillSweepsButRaisesNobody) {
    foreground.foreground = 0x200;
    optimizer.UpdateForegroundPriority();
    foreground.foreground = 0;
    processes.changes.clear();
    optimizer.UpdateForegroundPriority();
    EXPECT_EQ(optimizer.LastForegroundWindow, 0u);
    EXPECT_EQ(processes.walks, 2);
    for (const auto& change : processes.changes)
        EXPECT_EQ(change.priorityClass, NORMAL_PRIORITY_CLASS);
    EXPECT_EQ(processes.find(200)->priorityClass, NORMAL_PRIORITY_CLASS);
}

TEST_F(PolicyTest, TheForegroundProcessNeedsOnlySetRights) {
    foreground.foreground = 0x400; // the sweep cannot open it
    optimizer.UpdateForegroundPriority();
    EXPECT_EQ(processes.find(400)->priorityClass, ABOVE_NORMAL_PRIORITY_CLASS);
    processes.find(400)->canOpenForSet = false;
    processes.find(400)->priorityClass = HIGH_PRIORITY_CLASS;
    optimizer.LastForegroundWindow = PriorityOptimizer::kNoWindow;
    optimizer.UpdateForegroundPriority();
    EXPECT_EQ(processes.find(400)->priorityClass, HIGH_PRIORITY_CLASS);
    EXPECT_EQ(processes.openHandles, 0);
}

TEST_F(PolicyTest, ChoosingAClassAppliesThePolicyAtOnce) {
    struct Case {
        bool focusPair;
        int index;
        std::uint32_t background;
        std::uint32_t foreground;
    };
    const Case cases[] = {
        {false, 1, BELOW_NORMAL_PRIORITY_CLASS, ABOVE_NORMAL_PRIORITY_CLASS},
        {false, 0, NORMAL_PRIORITY_CLASS, ABOVE_NORMAL_PRIORITY_CLASS},
        {true, 1, NORMAL_PRIORITY_CLASS, NORMAL_PRIORITY_CLASS},
        {true, 7, NORMAL_PRIORITY_CLASS, NORMAL_PRIORITY_CLASS}, // any other index is the second choice
        {true, 0, NORMAL_PRIORITY_CLASS, ABOVE_NORMAL_PRIORITY_CLASS},
    };
    foreground.foreground = 0x200;
    optimizer.UpdateForegroundPriority();
    for (const auto& c : cases) {
        const int walks = processes.walks;
        if (c.focusPair)
            optimizer.OptionFocus_Click(c.index);
        else
            optimizer.OptionNonFocus_Click(c.index);
        SCOPED_TRACE(testing::Message() << c.focusPair << " " << c.index);
        EXPECT_EQ(optimizer.BackgroundClass, c.background);
        EXPECT_EQ(optimizer.ForegroundClass, c.foreground);
        EXPECT_EQ(processes.walks, walks + 1); // same window, applied all the same
        EXPECT_EQ(optimizer.LastForegroundWindow, 0x200u);
        EXPECT_EQ(processes.find(100)->priorityClass, c.background);
        EXPECT_EQ(processes.find(200)->priorityClass, c.foreground);
    }
}

TEST_F(PolicyTest, BothChoicesNormalMakeEveryOpenedProcessNormal) {
    foreground.foreground = 0x200;
    optimizer.OptionFocus_Click(1);
    optimizer.OptionNonFocus_Click(0);
    for (std::uint32_t pid : {100u, 200u, 300u})
        EXPECT_EQ(processes.find(pid)->priorityClass, NORMAL_PRIORITY_CLASS);
    EXPECT_EQ(processes.find(400)->priorityClass, HIGH_PRIORITY_CLASS);
}

TEST_F(PolicyTest, OnTheOldFamilyOnlyTheForegroundProcessChanges) {
    processes.platformId = VER_PLATFORM_WIN32_WINDOWS;
    processes.snapshot = std::vector<std::string>{};
    foreground.foreground = 0x200;
    optimizer.UpdateForegroundPriority();
    ASSERT_EQ(processes.changes.size(), 1u);
    EXPECT_EQ(processes.changes[0].pid, 200u);
    EXPECT_EQ(processes.snapshots, 2);
}

} // namespace
} // namespace kelvora
