#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <tuple>
#include <vector>

#include "memory/MainTicker.h"
#include "memory/MemoryRelease.h"
#include "platform/fake/FakeMemoryInfo.h"

namespace kelvora {
namespace {

// Records every call as a short line; `onYield` lets a test act inside the event loop.
class RecordingView : public ReleaseView {
public:
    std::vector<std::string> calls;
    std::function<void()> onYield;
    int beeps = 0;

    void setGaugeScale(std::int32_t units) override { calls.emplace_back("scale " + std::to_string(units)); }
    void setGaugeBar(std::int32_t top, std::int32_t height) override {
        calls.emplace_back("bar " + std::to_string(top) + " " + std::to_string(height));
    }
    void emptyGauge() override { calls.emplace_back("empty"); }
    void suspendPainting() override { calls.emplace_back("suspend"); }
    void resumePainting() override { calls.emplace_back("resume"); }
    void yieldToEvents() override {
        calls.emplace_back("yield");
        if (onYield)
            onYield();
    }
    void beep() override {
        calls.emplace_back("beep");
        ++beeps;
    }
};

class MemoryReleaseTest : public ::testing::Test {
protected:
    MemoryReleaseTest() {
        info.setMB(16000, 8000, 0);
        allocator.lowersAvailableOf = &info;
    }
    RecordingView view;
    fake::FakeMemoryInfo info;
    fake::FakeBlockAllocator allocator;
    MainTicker ticker;
    MemoryRelease release{view, allocator, info, ticker};
};

TEST_F(MemoryReleaseTest, ClaimsEachBlockWithTheGaugeRisingThenFreesAllAndBeeps) {
    std::vector<std::int16_t> ticksDuringYields;
    std::vector<std::size_t> liveDuringYields;
    view.onYield = [&] {
        ticksDuringYields.push_back(ticker.PanelRefreshTicks);
        liveDuringYields.push_back(allocator.live());
    };

    EXPECT_EQ(release.ReleaseMemory(3), MemoryRelease::Outcome::Completed);

    const std::vector<std::string> expected{"scale 3", "suspend", "bar 3 0", "yield",  "resume", "yield",
                                            "suspend", "bar 2 1", "yield",   "resume", "yield",  "suspend",
                                            "bar 1 2", "yield",   "resume",  "yield",  "empty",  "beep"};
    EXPECT_EQ(view.calls, expected);
    EXPECT_EQ(ticksDuringYields, std::vector<std::int16_t>(6, 5));
    EXPECT_EQ(liveDuringYields, (std::vector<std::size_t>{1, 1, 2, 2, 3, 3}));
    EXPECT_EQ(ticker.PanelRefreshTicks, 10);
    EXPECT_EQ(allocator.claims, 3);
    EXPECT_EQ(allocator.frees, 3);
    EXPECT_EQ(allocator.badFrees, 0);
    EXPECT_EQ(release.heldBlocks(), 0u);
    EXPECT_FALSE(release.running());
}

TEST_F(MemoryReleaseTest, OneBlockLeavesTheBarEmptyAndStillBeeps) {
    EXPECT_EQ(release.ReleaseMemory(1), MemoryRelease::Outcome::Completed);
    EXPECT_EQ(view.calls,
              (std::vector<std::string>{"scale 1", "suspend", "bar 1 0", "yield", "resume", "yield", "empty", "beep"}));
}

TEST_F(MemoryReleaseTest, CountBelowOneClaimsNothingAndKeepsThePeriod) {
    ticker.PanelRefreshTicks = 7;
    for (std::int32_t count : {0, -5}) {
        EXPECT_EQ(release.ReleaseMemory(count), MemoryRelease::Outcome::NothingToClaim);
        EXPECT_TRUE(view.calls.empty());
        EXPECT_EQ(ticker.PanelRefreshTicks, 7);
        EXPECT_EQ(allocator.claims, 0);
    }
}

TEST_F(MemoryReleaseTest, BlockTheSystemRefusesEndsTheReleaseWithEverythingFreedAndNoBeep) {
    allocator.failFromClaim = 2;
    EXPECT_EQ(release.ReleaseMemory(5), MemoryRelease::Outcome::StoppedForHeadroom);
    EXPECT_EQ(allocator.claims, 2);
    EXPECT_EQ(allocator.frees, 2);
    EXPECT_EQ(allocator.badFrees, 0);
    EXPECT_EQ(view.beeps, 0);
    EXPECT_EQ(view.calls.back(), "empty");
    EXPECT_EQ(ticker.PanelRefreshTicks, 10);

    // The next release starts from a clean slate.
    allocator.failFromClaim = -1;
    EXPECT_EQ(release.ReleaseMemory(2), MemoryRelease::Outcome::Completed);
    EXPECT_EQ(allocator.live(), 0u);
}

TEST_F(MemoryReleaseTest, StopsBeforeABlockWouldEatIntoTheReserve) {
    // 4000 MB total: the reserve is 256 MiB (more than 5 %); 300 MB available leaves room for 15 blocks of 2 MiB.
    info.setMB(4000, 300, 0);
    EXPECT_EQ(release.ReleaseMemory(100), MemoryRelease::Outcome::StoppedForHeadroom);
    EXPECT_EQ(allocator.claims, 15);
    EXPECT_EQ(allocator.live(), 0u);
    EXPECT_EQ(allocator.badFrees, 0);
    EXPECT_EQ(view.beeps, 0);
    EXPECT_EQ(view.calls.back(), "empty");
    EXPECT_EQ(ticker.PanelRefreshTicks, 10);
}

TEST_F(MemoryReleaseTest, ReserveIsFivePercentOnLargeMachinesAndSwapCounts) {
    EXPECT_EQ(HeadroomGuard::reserveFor(4'000'000'000), HeadroomGuard::kMinimumReserve);
    EXPECT_EQ(HeadroomGuard::reserveFor(64'000'000'000), 3'200'000'000u);

    // 64 GB total, 3200 MB reserve: 3000 MB available alone is too little, with 1000 MB free swap it is enough.
    info.setMB(64000, 3000, 0);
    EXPECT_EQ(release.ReleaseMemory(10), MemoryRelease::Outcome::StoppedForHeadroom);
    EXPECT_EQ(allocator.claims, 0);
    info.setMB(64000, 3000, 1000);
    EXPECT_EQ(release.ReleaseMemory(10), MemoryRelease::Outcome::Completed);
}

TEST_F(MemoryReleaseTest, OwnMemoryLimitStopsTheReleaseAtTheLimitLessTheReserve) {
    // 512 MiB limit, 50 MiB in use: 462 MiB of room less the 256 MiB reserve leaves 206 MiB, 103 blocks.
    info.limit = MemoryLimit{512u << 20, 50u << 20};
    info.oomScore = -100;
    EXPECT_EQ(release.ReleaseMemory(1000), MemoryRelease::Outcome::StoppedForHeadroom);
    EXPECT_EQ(allocator.claims, 103);
    // A limit above physical memory is the machine's figures' business.
    info.limit = MemoryLimit{32'000'000'000u, 0};
    EXPECT_EQ(release.ReleaseMemory(200), MemoryRelease::Outcome::Completed);
    EXPECT_EQ(info.oomScoreWrites, (std::vector<int>{1000, -100, 1000, -100})); // first in line only while claiming
}

TEST_F(MemoryReleaseTest, MemoryPressureStopsTheReleaseLikeTheReserve) {
    // Each block takes 100 ms; the stall share is measured per second of the release.
    for (auto [avg10, stallPerBlockUs, claims] : {std::tuple{10.5, 0, 0}, {9.0, 55'000, 16}, {9.0, 45'000, 40}}) {
        fake::FakeBlockAllocator blocks;
        RecordingView calls;
        MemoryRelease run{calls, blocks, info, ticker};
        info.pressure = MemoryPressure{avg10, 7'000'000, 1'000'000'000};
        calls.onYield = [&, stall = stallPerBlockUs] {
            info.pressure->sampledAtUs += 50'000;
            info.pressure->someTotalUs += static_cast<std::uint64_t>(stall / 2);
        };
        EXPECT_EQ(run.ReleaseMemory(40),
                  claims == 40 ? MemoryRelease::Outcome::Completed : MemoryRelease::Outcome::StoppedForPressure);
        EXPECT_EQ(blocks.claims, claims);
        EXPECT_EQ(blocks.live(), 0u);
        EXPECT_EQ(calls.calls.back(), claims == 40 ? "beep" : "empty"); // no beep when stopped
    }
}

TEST_F(MemoryReleaseTest, HeadroomIsReadOnceEverySixteenBlocksNotPerBlock) {
    EXPECT_EQ(release.ReleaseMemory(160), MemoryRelease::Outcome::Completed);
    EXPECT_LE(info.reads, 10);
}

TEST_F(MemoryReleaseTest, UnreadableFiguresClaimNothing) {
    info.figures.reset();
    EXPECT_EQ(release.ReleaseMemory(4), MemoryRelease::Outcome::StoppedForHeadroom);
    EXPECT_EQ(allocator.claims, 0);
    EXPECT_EQ(view.beeps, 0);
}

TEST_F(MemoryReleaseTest, RequestDuringARunningReleaseIsIgnored) {
    std::vector<MemoryRelease::Outcome> nested;
    view.onYield = [&] {
        if (nested.size() < 3)
            nested.push_back(release.ReleaseMemory(50));
    };
    EXPECT_EQ(release.ReleaseMemory(4), MemoryRelease::Outcome::Completed);
    EXPECT_EQ(nested, std::vector<MemoryRelease::Outcome>(3, MemoryRelease::Outcome::AlreadyRunning));
    EXPECT_EQ(allocator.claims, 4);
    EXPECT_EQ(allocator.frees, 4);
    EXPECT_EQ(allocator.badFrees, 0);
    EXPECT_EQ(view.beeps, 1);
}

TEST_F(MemoryReleaseTest, WindowUnloadDuringAYieldFreesOnceAndEndsQuietly) {
    int yields = 0;
    view.onYield = [&] {
        if (++yields == 5)
            release.releaseBlocks();
    };
    EXPECT_EQ(release.ReleaseMemory(10), MemoryRelease::Outcome::Interrupted);
    EXPECT_EQ(allocator.claims, 3);
    EXPECT_EQ(allocator.frees, 3);
    EXPECT_EQ(allocator.badFrees, 0);
    EXPECT_EQ(view.beeps, 0);
    EXPECT_EQ(ticker.PanelRefreshTicks, 10);
}

} // namespace
} // namespace kelvora
