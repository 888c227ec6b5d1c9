#include <gtest/gtest.h>

#include "info/Version.h"
#include "update/VersionRule.h"

namespace kelvora {
namespace {

TEST(VersionRuleTest, ThePublishedTextIsNewerWhenItSortsAfterOrdinally) {
    const struct {
        std::string published;
        bool newer;
    } cases[] = {
        {"2.41", true}, {"2.40\r\n", true}, {"10.0", false}, {"2.5", true},    {"", false},      {"2.40", false},
        {"2.4", false}, {"2.39", false},    {"3", true},     {"\xC4.0", true}, {" 2.41", false}, {"2.40 ", true},
    };
    for (const auto& c : cases)
        EXPECT_EQ(isNewerVersion(c.published, "2.40"), c.newer) << '"' << c.published << '"';
}

TEST(VersionTextTest, MinorAndRevisionRunTogether) {
    EXPECT_EQ(VersionText(2, 4, 0), "2.40");
    EXPECT_EQ(VersionText(2, 0, 4), "2.04");
    EXPECT_EQ(VersionText(10, 12, 3), "10.123");
    EXPECT_EQ(programVersionText(), "2.40");
}

} // namespace
} // namespace kelvora
