#pragma once

#include <string>

namespace kelvora {

// Major, ".", minor and revision in decimal with nothing between the last two: 2, 4, 0 gives "2.40".
std::string VersionText(int major, int minor, int revision);

// The version text of this build, from the executable's version numbers.
std::string programVersionText();

} // namespace kelvora
