#include <gtest/gtest.h>

#include "alert/AlertMotion.h"

namespace kelvora {
namespace {

using Phase = AlertMotion::Phase;

// Runs the popup's timers on a fake clock and notes when each phase began.
struct Timeline {
    int slideInTicks = 0;
    int slideOutTicks = 0;
    long restStartMs = -1;
    long slideOutStartMs = -1;
    long finishedMs = -1;
    int restingTop = 0;
};

Timeline run(AlertMotion& motion) {
    Timeline timeline;
    long nowMs = 0;
    for (int guard = 0; motion.phase() != Phase::Finished && guard < 100000; ++guard) {
        const Phase before = motion.phase();
        nowMs += motion.intervalMs();
        motion.tick();
        if (before == Phase::SlidingIn)
            ++timeline.slideInTicks;
        if (before == Phase::SlidingOut)
            ++timeline.slideOutTicks;
        if (before == Phase::SlidingIn && motion.phase() == Phase::Resting) {
            timeline.restStartMs = nowMs;
            timeline.restingTop = motion.top();
        }
        if (before == Phase::Resting)
            timeline.slideOutStartMs = nowMs;
    }
    if (motion.phase() == Phase::Finished)
        timeline.finishedMs = nowMs;
    return timeline;
}

TEST(AlertMotionTest, OnA1024By768ScreenItRestsAtThe839And622PixelCorner) {
    AlertMotion motion(1024 * 15, 768 * 15);
    EXPECT_EQ(motion.left(), 839 * 15);
    EXPECT_EQ(motion.top(), 768 * 15); // loaded just below the screen
    EXPECT_EQ(motion.phase(), Phase::SlidingIn);
    const Timeline timeline = run(motion);
    EXPECT_EQ(timeline.slideInTicks, 73);
    EXPECT_EQ(timeline.restingTop, 622 * 15);
    EXPECT_EQ(timeline.slideOutStartMs - timeline.restStartMs, 5000);
    EXPECT_EQ(timeline.slideOutTicks, 73);
    EXPECT_EQ(motion.top(), 768 * 15);
    EXPECT_EQ(motion.left(), 839 * 15); // it only ever moves vertically
    EXPECT_EQ(motion.intervalMs(), 0);
}

TEST(AlertMotionTest, ASlideOutThatOvershootsTheBottomStillEnds) {
    // 1280 by 800 at 120 dots per inch: 12 twips a pixel, so the screen height is no multiple of the step.
    AlertMotion motion(1280 * 12, 800 * 12 + 7);
    const Timeline timeline = run(motion);
    EXPECT_GE(timeline.finishedMs, 0);
    EXPECT_GE(motion.top(), 800 * 12 + 7);
    EXPECT_LT(motion.top(), 800 * 12 + 7 + AlertMotion::kStepTwips);
}

TEST(AlertMotionTest, AtOneAndAHalfTimesScaleThePopupOfWholePixelsRestsFlushWithTheCorner) {
    // 144 dots per inch, 10 twips a pixel: the popup's window is 278 by 218 pixels, not 277.5 by 217.5.
    AlertMotion motion(1024 * 10, 768 * 10, 278 * 10, 218 * 10);
    EXPECT_EQ(motion.left() + 278 * 10, 1024 * 10);
    const Timeline timeline = run(motion);
    EXPECT_EQ(timeline.restingTop + 218 * 10, 768 * 10 - 10);
}

TEST(AlertMotionTest, TwoPopupsStartedTogetherShareTheirPath) {
    AlertMotion first(1024 * 15, 768 * 15);
    AlertMotion second(1024 * 15, 768 * 15);
    while (first.phase() != Phase::Finished) {
        first.tick();
        second.tick();
        ASSERT_EQ(first.top(), second.top());
        ASSERT_EQ(first.left(), second.left());
    }
}

} // namespace
} // namespace kelvora
