#include <gtest/gtest.h>

#include <vector>

#include "memory/MainTicker.h"

namespace kelvora {
namespace {

// Tick numbers (from 1) on which each routine ran over `ticks` ticks.
struct Runs {
    std::vector<int> refresh, priority;
};

Runs tickTimes(MainTicker& ticker, int ticks) {
    Runs runs;
    for (int t = 1; t <= ticks; ++t) {
        auto due = ticker.tick();
        if (due.refreshPanel)
            runs.refresh.push_back(t);
        if (due.checkPriority)
            runs.priority.push_back(t);
    }
    return runs;
}

TEST(MainTicker, RefreshEveryEleventhTickAndPriorityEveryTwentyFirst) {
    MainTicker ticker;
    Runs runs = tickTimes(ticker, 66);
    EXPECT_EQ(runs.refresh, (std::vector<int>{11, 22, 33, 44, 55, 66}));
    EXPECT_EQ(runs.priority, (std::vector<int>{21, 42, 63}));
}

TEST(MainTicker, RefreshEverySixthTickWhileReleasing) {
    MainTicker ticker;
    ticker.PanelRefreshTicks = 5;
    Runs runs = tickTimes(ticker, 24);
    EXPECT_EQ(runs.refresh, (std::vector<int>{6, 12, 18, 24}));
    EXPECT_EQ(runs.priority, (std::vector<int>{21}));
}

TEST(MainTicker, PeriodShortenedMidCountRefreshesOnTheNextTickPastIt) {
    MainTicker ticker;
    for (int t = 0; t < 8; ++t)
        ticker.tick();
    ticker.PanelRefreshTicks = 5; // a release starts with the counter at 8
    EXPECT_TRUE(ticker.tick().refreshPanel);
}

} // namespace
} // namespace kelvora
