#include "info/Version.h"

namespace kelvora {

std::string VersionText(int major, int minor, int revision) {
    return std::to_string(major) + "." + std::to_string(minor) + std::to_string(revision);
}

std::string programVersionText() {
    return VersionText(KELVORA_VERSION_MAJOR, KELVORA_VERSION_MINOR, KELVORA_VERSION_REVISION);
}

} // namespace kelvora
