#include <gtest/gtest.h>

#include <utility>

#include "frontend/AccessibleNames.h"

namespace kelvora {
namespace {

TEST(AccessibleName, LosesTheAccessKeyMarks) {
    for (const auto& [caption, name] :
         {std::pair{"&Save", "Save"}, {"Fish && &Chips", "Fish & Chips"}, {"end&", "end"}})
        EXPECT_EQ(accessible::accessibleNameOf(caption), name) << caption;
}

} // namespace
} // namespace kelvora
