#pragma once

#include <string>

#include "info/LinkTable.h"

namespace kelvora {

class Registry;
class Shell;
class FileSystem;

// Opens the vendor's pages and the program's documents in the language stored in the settings.
class LinkLauncher {
public:
    LinkLauncher(Registry& registry, Shell& shell, FileSystem& files, std::string vendorUrl);

    void OpenHomePage();
    void OpenReadme();
    void OpenUpdatePage();
    void OpenLicenseDocument();
    void OpenSupportPage();
    void OpenForum();
    void OpenContactPage();

    // Opens the target of `link` for the stored language; nothing opens for an unrecognised or missing name.
    void open(Link link);

private:
    std::string resolveTarget(const LinkTarget& target) const;

    Registry& registry_;
    Shell& shell_;
    FileSystem& files_;
    std::string vendorUrl_;
};

} // namespace kelvora
