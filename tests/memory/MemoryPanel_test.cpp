#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <vector>

#include "memory/MainTicker.h"
#include "memory/MemoryPanel.h"
#include "platform/fake/FakeMemoryInfo.h"
#include "settings/StringTable.h"

namespace kelvora {
namespace {

// Keeps what the panel shows; counts releases by their beeps.
class FakePanelView : public PanelView {
public:
    std::function<void()> onYield;
    int beeps = 0;
    std::string statusLine, nextOptimize;
    std::array<std::string, 3> timeItems;
    std::array<bool, 2> checks{false, false};
    std::vector<int> percentShown;
    int level = -1, timeItem = -1;

    void setGaugeScale(std::int32_t) override {}
    void setGaugeBar(std::int32_t, std::int32_t) override {}
    void emptyGauge() override {}
    void suspendPainting() override {}
    void resumePainting() override {}
    void yieldToEvents() override {
        if (onYield)
            onYield();
    }
    void beep() override { ++beeps; }
    void drawStatusLine(const std::string& line) override { statusLine = line; }
    void setNextOptimizeText(const std::string& text) override { nextOptimize = text; }
    void setTimeItems(const std::array<std::string, 3>& items) override { timeItems = items; }
    void showCheckOptionRAM(int index, bool ticked) override { checks[static_cast<std::size_t>(index)] = ticked; }
    void showOptionRAMPercent(int index) override { percentShown.push_back(index); }
    void showOptionLevel(int index) override { level = index; }
    void showTimeItem(int index) override { timeItem = index; }
};

class MemoryPanelTest : public ::testing::Test {
protected:
    MemoryPanelTest() {
        strings.set(221, "10 min");
        strings.set(222, "30 min");
        strings.set(223, "60 min");
        strings.set(224, "Total: ");
        strings.set(225, "Used: ");
        strings.set(226, "Free: ");
        strings.set(227, "Next release");
        strings.set(228, "in under a minute");
        strings.set(229, "Next release in");
        strings.set(230, "min");
        // Plenty of free swap, so the safety reserve never stops these releases.
        info.setMB(1000, 500, 100000);
    }
    // Block count of the last release, from the blocks it claimed.
    long claimedSince(long before) const { return allocator.claims - before; }

    StringTable strings;
    FakePanelView view;
    fake::FakeMemoryInfo info;
    fake::FakeTickClock clock;
    fake::FakeBlockAllocator allocator;
    MainTicker ticker;
    MemoryRelease release{view, allocator, info, ticker};
    MemoryPanel panel{view, strings, info, clock, release};
};

TEST_F(MemoryPanelTest, StartUpOrderEndsAtThirtyPercentAndBestLevel) {
    panel.setDefaults();
    EXPECT_EQ(view.percentShown, (std::vector<int>{-1, 1, 2}));
    EXPECT_TRUE(panel.thresholdBoxTicked());
    EXPECT_TRUE(view.checks[1]);
    EXPECT_FLOAT_EQ(panel.FreeThreshold, 0.3f);
    EXPECT_EQ(panel.selectedPercent(), 2);
    EXPECT_EQ(panel.OptimizeLevel, 20);
    EXPECT_EQ(view.level, 2);
    EXPECT_EQ(view.timeItems, (std::array<std::string, 3>{"10 min", "30 min", "60 min"}));
    EXPECT_EQ(view.timeItem, -1);
    EXPECT_FALSE(panel.timedBoxTicked());
    EXPECT_EQ(panel.OptimizeInterval, 0);
}

TEST_F(MemoryPanelTest, RetickingTheThresholdBoxGivesTwentyPercent) {
    panel.setDefaults();
    panel.setCheckOptionRAM(1, false);
    EXPECT_EQ(view.percentShown.back(), -1);
    EXPECT_EQ(panel.selectedPercent(), -1);
    EXPECT_FLOAT_EQ(panel.FreeThreshold, 0.3f); // kept, though unused while unticked
    panel.setCheckOptionRAM(1, true);
    EXPECT_EQ(view.percentShown.back(), 1);
    EXPECT_FLOAT_EQ(panel.FreeThreshold, 0.2f);
}

TEST_F(MemoryPanelTest, OptionHandlersSetLevelAndThreshold) {
    const std::int16_t levels[] = {10, 15, 20};
    const float thresholds[] = {0.1f, 0.2f, 0.3f};
    for (int i = 0; i < 3; ++i) {
        panel.selectOptionLevel(i);
        EXPECT_EQ(panel.OptimizeLevel, levels[i]);
        panel.selectOptionRAMPercent(i);
        EXPECT_EQ(panel.FreeThreshold, thresholds[i]);
    }
    panel.OptionLevel_Click(3);
    panel.OptionRAMPercent_Click(-1);
    EXPECT_EQ(panel.OptimizeLevel, 20);
    EXPECT_EQ(panel.FreeThreshold, 0.3f);
}

TEST_F(MemoryPanelTest, StatusLineShowsTotalUsedAndFree) {
    info.setMB(512, 200, 100000);
    panel.RefreshMemoryPanel();
    EXPECT_EQ(view.statusLine, "Total: 512 MB    Used: 312 MB    Free: 200 MB");
    EXPECT_EQ(panel.TotalMemMB, 512);
    EXPECT_EQ(panel.AvailMemMB, 200);
    EXPECT_EQ(panel.UsedMemMB, 312);

    info.setMB(24000, 25000, 0); // figures as sampled, even when they disagree
    panel.RefreshMemoryPanel();
    EXPECT_EQ(view.statusLine, "Total: 24000 MB    Used: -1000 MB    Free: 25000 MB");
}

TEST_F(MemoryPanelTest, MissingSampleChangesNothing) {
    info.setMB(512, 200, 100000);
    panel.RefreshMemoryPanel();
    info.figures.reset();
    view.statusLine.clear();
    panel.RefreshMemoryPanel();
    EXPECT_EQ(view.statusLine, "");
    EXPECT_EQ(panel.TotalMemMB, 512);
}

TEST_F(MemoryPanelTest, ThresholdComparesTheFreeShareAsASingleFloat) {
    panel.setDefaults();
    struct Case {
        std::uint64_t availMB;
        bool releases;
    };
    for (Case c : {Case{300, false}, Case{299, true}, Case{900, false}, Case{0, true}}) {
        info.setMB(1000, c.availMB, 100000);
        long before = allocator.claims;
        int beepsBefore = view.beeps;
        panel.RefreshMemoryPanel();
        EXPECT_EQ(view.beeps - beepsBefore, c.releases ? 1 : 0) << c.availMB;
        if (c.releases) {
            auto used = static_cast<std::int32_t>(1000 - c.availMB);
            EXPECT_EQ(claimedSince(before), used * 20 / 100 + static_cast<long>(c.availMB)) << c.availMB;
        }
    }
}

TEST_F(MemoryPanelTest, NoThresholdReleaseWhileTheBoxIsUnticked) {
    panel.setDefaults();
    panel.setCheckOptionRAM(1, false);
    info.setMB(1000, 10, 100000);
    panel.RefreshMemoryPanel();
    EXPECT_EQ(view.beeps, 0);
}

TEST_F(MemoryPanelTest, ZeroTotalShowsTheLineAndReleasesNothing) {
    panel.setDefaults();
    panel.setCheckOptionRAM(0, true);
    clock.advance(10 * 60000);
    info.setMB(0, 0, 100000);
    panel.RefreshMemoryPanel();
    EXPECT_EQ(view.statusLine, "Total: 0 MB    Used: 0 MB    Free: 0 MB");
    EXPECT_EQ(view.beeps, 0);
    EXPECT_EQ(allocator.claims, 0);
}

TEST_F(MemoryPanelTest, ButtonUsesTheFiguresOfTheLastRefresh) {
    panel.setDefaults();
    panel.Command3_Click(); // before any refresh both figures are 0
    EXPECT_EQ(allocator.claims, 0);
    EXPECT_EQ(view.beeps, 0);

    info.setMB(500, 200, 100000);
    panel.RefreshMemoryPanel();
    info.setMB(500, 400, 100000); // not sampled again by the button
    panel.selectOptionLevel(0);
    panel.Command3_Click();
    EXPECT_EQ(allocator.claims, 230);
    EXPECT_EQ(view.beeps, 1);
}

TEST_F(MemoryPanelTest, RequestsDuringAReleaseAreIgnored) {
    panel.setDefaults();
    info.setMB(1000, 100, 100000);
    panel.RefreshMemoryPanel();
    const long firstCount = allocator.claims;
    int beepsSeenInYields = 0;
    view.onYield = [&] {
        panel.Command3_Click();
        panel.RefreshMemoryPanel(); // a refresh inside a yield, still below the threshold
        beepsSeenInYields = std::max(beepsSeenInYields, view.beeps);
    };
    allocator.claims = 0;
    panel.Command3_Click();
    EXPECT_EQ(allocator.claims, firstCount);
    EXPECT_EQ(beepsSeenInYields, 1);
    EXPECT_EQ(view.beeps, 2);
    EXPECT_EQ(allocator.badFrees, 0);
    EXPECT_EQ(allocator.live(), 0u);
}

TEST_F(MemoryPanelTest, TickingTheTimedBoxPicksTheFirstIntervalAndRestartsTheCount) {
    panel.setDefaults();
    clock.now = 5000;
    panel.setCheckOptionRAM(0, true);
    EXPECT_EQ(panel.selectedTimeItem(), 0);
    EXPECT_EQ(view.timeItem, 0);
    EXPECT_EQ(panel.OptimizeInterval, 600000);
    EXPECT_EQ(panel.LastTimedOptimize, 5000u);

    clock.now = 9000;
    panel.selectTimeItem(2);
    EXPECT_EQ(panel.OptimizeInterval, 3600000);
    EXPECT_EQ(panel.LastTimedOptimize, 9000u);

    panel.setCheckOptionRAM(0, false);
    EXPECT_EQ(panel.OptimizeInterval, 0);
    EXPECT_EQ(view.nextOptimize, "");

    // Choosing an item while unticked only selects it; ticking again uses it.
    panel.selectTimeItem(1);
    EXPECT_EQ(panel.OptimizeInterval, 0);
    panel.setCheckOptionRAM(0, true);
    EXPECT_EQ(panel.OptimizeInterval, 1800000);
}

TEST_F(MemoryPanelTest, TimedCheckCountsDownWholeMinutes) {
    panel.setDefaults();
    panel.OptimizeInterval = 300000;
    panel.LastTimedOptimize = clock.now = 1000;
    struct Case {
        std::uint32_t elapsed;
        std::string text;
    };
    for (const Case& c :
         {Case{0, "Next release in \r\n5 min"}, Case{180000, "Next release in \r\n2 min"},
          Case{240000, "Next release in \r\n1 min"}, Case{240001, "Next release \r\nin under a minute"}}) {
        clock.now = 1000 + c.elapsed;
        panel.RefreshMemoryPanel();
        EXPECT_EQ(view.nextOptimize, c.text) << c.elapsed;
    }
    EXPECT_EQ(view.beeps, 0);
}

TEST_F(MemoryPanelTest, TimedReleaseRunsWhenDueAndRestartsTheInterval) {
    panel.setDefaults();
    panel.setCheckOptionRAM(1, false);
    clock.now = 100;
    panel.setCheckOptionRAM(0, true);
    clock.advance(599999);
    panel.RefreshMemoryPanel();
    EXPECT_EQ(view.beeps, 0);
    clock.advance(1);
    panel.RefreshMemoryPanel();
    EXPECT_EQ(view.beeps, 1);
    EXPECT_EQ(panel.LastTimedOptimize, 600100u);
    EXPECT_EQ(allocator.claims, 600); // 500 available + 20 % of 500 used
    panel.RefreshMemoryPanel();
    EXPECT_EQ(view.beeps, 1);
    EXPECT_EQ(view.nextOptimize, "Next release in \r\n10 min");
}

TEST_F(MemoryPanelTest, TimedReleaseKeepsWorkingAcrossATickCountWrap) {
    panel.setDefaults();
    panel.setCheckOptionRAM(1, false);
    clock.now = 0xFFFFFFFFu - 1000; // 49.7 days of uptime, just before the count wraps
    panel.setCheckOptionRAM(0, true);
    clock.advance(300000);
    panel.RefreshMemoryPanel();
    EXPECT_EQ(view.nextOptimize, "Next release in \r\n5 min");
    EXPECT_EQ(view.beeps, 0);
    clock.advance(300000);
    panel.RefreshMemoryPanel();
    EXPECT_EQ(view.beeps, 1);
    EXPECT_EQ(panel.LastTimedOptimize, clock.now);
}

TEST_F(MemoryPanelTest, ThresholdAndTimedReleaseCanBothRunInOneRefresh) {
    panel.setDefaults();
    panel.setCheckOptionRAM(0, true);
    clock.advance(600000);
    info.setMB(1000, 100, 100000);
    panel.RefreshMemoryPanel();
    EXPECT_EQ(view.beeps, 2);
}

TEST_F(MemoryPanelTest, ThresholdReleaseCutShortHoldsBackUntilFreeAgainOrTenMinutes) {
    panel.setDefaults();
    allocator.lowersAvailableOf = &info;
    auto claims = [&](std::uint32_t afterMs, std::uint64_t availMB) { // blocks of one refresh afterMs later
        info.setMB(1000, availMB, 100); // 100 MB of swap: the reserve cuts a release short
        clock.advance(afterMs);
        long before = allocator.claims;
        panel.RefreshMemoryPanel();
        return allocator.claims - before;
    };
    EXPECT_GT(claims(1100, 250), 0); // 25 % free, under 30 %
    EXPECT_EQ(claims(1100, 250), 0);
    EXPECT_EQ(claims(ThresholdBackoff::kHoldMs - 1200, 250), 0);
    EXPECT_GT(claims(100, 250), 0) << "ten minutes after the release cut short";
    EXPECT_EQ(claims(1100, 400), 0); // 40 % free ends the hold
    EXPECT_GT(claims(1100, 250), 0);
    long before = allocator.claims;
    panel.Command3_Click(); // the button is never held back
    EXPECT_GT(allocator.claims, before);
}

} // namespace
} // namespace kelvora
