#include <gtest/gtest.h>

#include "settings/StringTable.h"

namespace kelvora {

TEST(StringTable, SlotsOutsideTheTableReadEmptyAndIgnoreWrites) {
    StringTable table;
    table.set(-1, "negative");
    table.set(1000, "too far");
    table.set(999, "last");
    EXPECT_EQ(table[-1], "");
    EXPECT_EQ(table[1000], "");
    EXPECT_EQ(table[999], "last");
    EXPECT_EQ(table[0], "");
}

} // namespace kelvora
