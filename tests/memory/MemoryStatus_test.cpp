#include <gtest/gtest.h>

#include <limits>

#include "memory/MemoryStatus.h"
#include "platform/fake/FakeMemoryInfo.h"

namespace kelvora {
namespace {

TEST(BytesToMB, RoundsHalvesToEvenAndReadsLargeMachines) {
    struct Case {
        std::uint64_t bytes;
        std::int32_t mb;
    };
    const Case cases[] = {
        {536870912, 537},
        {1500000, 2},
        {2500000, 2},
        {2500001, 3},
        {499999, 0},
        {500000, 0},
        {500001, 1},
        {0, 0},
        {2147483648, 2147},
        {3221225472, 3221},
        {4294967295, 4295},
        {4294967296, 4295},
        {25769803776, 25770},
        {68719476736, 68719},
        {2147483647000000, 2147483647},
    };
    for (const Case& c : cases)
        EXPECT_EQ(bytesToMB(c.bytes), c.mb) << c.bytes;
}

TEST(BytesToMB, FigureBeyondThirtyTwoBitsIsNoFigure) {
    EXPECT_EQ(bytesToMB(2147483648000000), std::nullopt);
    EXPECT_EQ(bytesToMB(std::numeric_limits<std::uint64_t>::max()), std::nullopt);
}

TEST(GetMemoryStatus, ReturnsBothFiguresAsSampled) {
    fake::FakeMemoryInfo info;
    info.figures = PhysicalMemory{25769803776, 500000};
    auto status = GetMemoryStatus(info);
    ASSERT_TRUE(status);
    EXPECT_EQ(status->totalMB, 25770);
    EXPECT_EQ(status->availMB, 0);

    // Available above total is passed on unchecked; the caller computes used memory.
    info.figures = PhysicalMemory{1000000, 5000000};
    status = GetMemoryStatus(info);
    ASSERT_TRUE(status);
    EXPECT_EQ(status->availMB, 5);
}

TEST(GetMemoryStatus, MissingOrUnfittingSampleIsNoSample) {
    fake::FakeMemoryInfo info;
    EXPECT_EQ(GetMemoryStatus(info), std::nullopt);
    info.figures = PhysicalMemory{std::numeric_limits<std::uint64_t>::max(), 0};
    EXPECT_EQ(GetMemoryStatus(info), std::nullopt);
}

TEST(GetReleaseBlockCount, AvailablePlusLevelPercentOfUsed) {
    struct Case {
        std::int32_t used, avail;
        std::int16_t level;
        std::int32_t count;
    };
    const Case cases[] = {
        {300, 200, 10, 230},
        {300, 200, 15, 245},
        {300, 200, 20, 260},
        {0, 0, 20, 0},
        {0, 1, 20, 1},
        {750, 250, 20, 400},
        {25, 0, 10, 2},            // 2.5 rounds to even
        {35, 0, 10, 4},            // 3.5 rounds to even
        {40000, 60000, 20, 68000}, // beyond 16 bits: a machine with much free memory still releases
        {24000, 1000000, 20, 1004800},
    };
    for (const Case& c : cases)
        EXPECT_EQ(GetReleaseBlockCount(c.used, c.avail, c.level), c.count)
            << c.used << " " << c.avail << " " << c.level;
}

TEST(GetReleaseBlockCount, OutOfRangeIsZero) {
    const auto max = std::numeric_limits<std::int32_t>::max();
    EXPECT_EQ(GetReleaseBlockCount(max, max, 20), 0);
}

} // namespace
} // namespace kelvora
