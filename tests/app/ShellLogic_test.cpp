#include <gtest/gtest.h>

#include "app/ShellLogic.h"

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

} // namespace
} // namespace kelvora
