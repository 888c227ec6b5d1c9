#pragma once

#include <string>

namespace kelvora {

// The vendor's web server chosen from an override (an environment value, absent when null or empty).
struct VendorUrlChoice {
    std::string url;
    // Why the override was refused; empty when it was taken or there was none.
    std::string refusal;
};

// Takes the override only when it is http:// or https:// followed by a host and an optional port (a trailing '/'
// is dropped); otherwise keeps `fallback`. Every page address is built by appending to the result, and it is handed
// to the desktop's opener, so nothing else may pass.
VendorUrlChoice chooseVendorUrl(const char* override, const std::string& fallback);

} // namespace kelvora
