#pragma once

#include <string>

namespace kelvora {

// The published version is newer when it sorts after the program's in an ordinal comparison of the texts
// (the first differing byte decides; a text extending the other sorts after it). Not a numeric comparison.
bool isNewerVersion(const std::string& published, const std::string& current);

} // namespace kelvora
