#pragma once

#include <string>

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

private:
    Registry& registry_;
    Shell& shell_;
    FileSystem& files_;
    std::string vendorUrl_;
};

} // namespace kelvora
