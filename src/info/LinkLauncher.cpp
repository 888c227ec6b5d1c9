#include "info/LinkLauncher.h"

#include <utility>

namespace kelvora {

LinkLauncher::LinkLauncher(Registry& registry, Shell& shell, FileSystem& files, std::string vendorUrl)
    : registry_(registry), shell_(shell), files_(files), vendorUrl_(std::move(vendorUrl)) {}

// Placeholders until the link table lands.
void LinkLauncher::OpenHomePage() {}
void LinkLauncher::OpenReadme() {}
void LinkLauncher::OpenUpdatePage() {}
void LinkLauncher::OpenLicenseDocument() {}
void LinkLauncher::OpenSupportPage() {}
void LinkLauncher::OpenForum() {}
void LinkLauncher::OpenContactPage() {}

} // namespace kelvora
