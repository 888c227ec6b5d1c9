#include <gtest/gtest.h>

#include "app/ShellLogic.h"
#include "app/ShellTimings.h"
#include "update/UpdateWindowSteps.h"

namespace kelvora {
namespace {

TEST(LanguageIndex, MatchesOnlyTheThreeNamesExactly) {
    struct Case {
        const char* name;
        int index;
    };
    for (const Case& c : {Case{"English", 0}, Case{"Polish", 1}, Case{"Deutsch", 2}, Case{"english", -1},
                          Case{"POLISH", -1}, Case{"", -1}, Case{" English", -1}, Case{"German", -1}})
        EXPECT_EQ(languageIndex(c.name), c.index) << c.name;
}

TEST(WindowDrag, StartsOnlyFromBareBackgroundWithLeftButtonAlone) {
    struct Case {
        HeldButtons held;
        bool bare;
        bool drags;
    };
    for (const Case& c : {Case{HeldButtons::LeftOnly, true, true}, Case{HeldButtons::LeftOnly, false, false},
                          Case{HeldButtons::Other, true, false}, Case{HeldButtons::None, true, false},
                          Case{HeldButtons::Other, false, false}})
        EXPECT_EQ(startsWindowDrag(c.held, c.bare), c.drags);
}

// The splash closes on its third tick only, counted again from each showing; the update window's bar stops full.
TEST(WindowTimers, SplashClosesOnThirdTickAndUpdateBarStopsFull) {
    splash::SplashClock clock;
    EXPECT_FALSE(clock.tick());
    EXPECT_FALSE(clock.tick());
    EXPECT_TRUE(clock.tick());
    EXPECT_FALSE(clock.tick());
    clock.restart();
    EXPECT_FALSE(clock.tick());
    EXPECT_FALSE(clock.tick());
    EXPECT_TRUE(clock.tick());
    int value = 0;
    for (int tick = 0; tick < 10; ++tick)
        value = updatewindow::progressAfterTick(value);
    EXPECT_TRUE(updatewindow::progressDone(value));
    EXPECT_EQ(updatewindow::progressAfterTick(95), updatewindow::kProgressFull);
}

} // namespace
} // namespace kelvora
