#include <gtest/gtest.h>

#include "info/VendorUrl.h"

namespace kelvora {
namespace {

TEST(VendorUrlTest, OnlyASchemeHostAndPortReplaceTheDefault) {
    const std::string fallback = "http://talvek.example";
    const struct {
        const char* value;
        const char* url; // nullptr: the default stays, with a reason
    } cases[] = {
        {"http://127.0.0.1:8080", "http://127.0.0.1:8080"},
        {"https://mirror.example/", "https://mirror.example"},
        {"http://[::1]:80", "http://[::1]:80"},
        {"-http://x", nullptr},
        {"--help", nullptr},
        {"ftp://mirror.example", nullptr},
        {"http://", nullptr},
        {"http:///", nullptr},
        {"http://-o.example", nullptr},
        {"http://mirror.example/path", nullptr},
        {"http://mirror.example//", nullptr},
        {"http://user@mirror.example", nullptr},
        {"http://mirror.example:0", nullptr},
        {"http://mirror.example:65536", nullptr},
        {"http://mirror.example:", nullptr},
        {"http://mirror.example?q", nullptr},
        {"http://mirror example", nullptr},
        {"http://[::1", nullptr},
    };
    for (const auto& c : cases) {
        const VendorUrlChoice choice = chooseVendorUrl(c.value, fallback);
        EXPECT_EQ(choice.url, c.url ? c.url : fallback) << c.value;
        EXPECT_EQ(choice.refusal.empty(), c.url != nullptr) << c.value;
    }
    EXPECT_EQ(chooseVendorUrl(nullptr, fallback).url, fallback);
    EXPECT_EQ(chooseVendorUrl("", fallback).refusal, "");
}

} // namespace
} // namespace kelvora
