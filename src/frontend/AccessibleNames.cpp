#include "frontend/AccessibleNames.h"

namespace kelvora::accessible {

std::string accessibleNameOf(std::string_view caption) {
    std::string name;
    name.reserve(caption.size());
    for (std::size_t i = 0; i < caption.size(); ++i) {
        // "&&" stands for one ampersand; a single one only marks the access key.
        if (caption[i] == '&' && i + 1 < caption.size())
            ++i;
        else if (caption[i] == '&')
            continue;
        name += caption[i];
    }
    return name;
}

} // namespace kelvora::accessible
