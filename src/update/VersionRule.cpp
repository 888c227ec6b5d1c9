#include "update/VersionRule.h"

#include <algorithm>

namespace kelvora {

bool isNewerVersion(const std::string& published, const std::string& current) {
    return std::lexicographical_compare(
        current.begin(), current.end(), published.begin(), published.end(),
        [](char a, char b) { return static_cast<unsigned char>(a) < static_cast<unsigned char>(b); });
}

} // namespace kelvora
