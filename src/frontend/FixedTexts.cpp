#include "frontend/FixedTexts.h"

#include <string_view>

namespace kelvora::fixedtext {

std::string thresholdCaption(int index) {
    return std::to_string((index + 1) * 10) + "%";
}

std::string displayAddress(const std::string& vendorUrl) {
    for (std::string_view scheme : {"http://", "https://"})
        if (vendorUrl.starts_with(scheme))
            return vendorUrl.substr(scheme.size());
    return vendorUrl;
}

} // namespace kelvora::fixedtext
