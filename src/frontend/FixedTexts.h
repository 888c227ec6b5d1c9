#pragma once

#include <string>

// Texts the windows show that no language file gives, the same in every front end.
namespace kelvora::fixedtext {

// The main window's footer line.
inline constexpr const char* kFooterNotice = "Copyright \u00a9 2008 Talvek. All rights reserved.";

// The captions of the memory page's three threshold options: "10%", "20%", "30%" for 0, 1, 2.
std::string thresholdCaption(int index);

// The vendor's address as people write it, for the About window: without the scheme.
std::string displayAddress(const std::string& vendorUrl);

} // namespace kelvora::fixedtext
