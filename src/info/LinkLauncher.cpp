#include "info/LinkLauncher.h"

#include <utility>

#include "platform/FileSystem.h"
#include "platform/Shell.h"
#include "settings/LanguageSetting.h"

namespace kelvora {

LinkLauncher::LinkLauncher(Registry& registry, Shell& shell, FileSystem& files, std::string vendorUrl)
    : registry_(registry), shell_(shell), files_(files), vendorUrl_(std::move(vendorUrl)) {}

void LinkLauncher::OpenHomePage() {
    open(Link::HomePage);
}
void LinkLauncher::OpenReadme() {
    open(Link::Readme);
}
void LinkLauncher::OpenUpdatePage() {
    open(Link::UpdatePage);
}
void LinkLauncher::OpenLicenseDocument() {
    open(Link::LicenseDocument);
}
void LinkLauncher::OpenSupportPage() {
    open(Link::SupportPage);
}
void LinkLauncher::OpenForum() {
    open(Link::Forum);
}
void LinkLauncher::OpenContactPage() {
    open(Link::ContactPage);
}

void LinkLauncher::open(Link link) {
    try {
        for (const char* language : kLinkLanguages) {
            // The stored name is read afresh for every candidate, so a change between reads is honoured.
            if (readCurLang(registry_) != language)
                continue;
            if (auto target = linkTarget(link, language))
                shell_.ShellOpen(resolveTarget(*target));
        }
    } catch (...) {
        // A link that cannot be opened is not reported.
    }
}

std::string LinkLauncher::resolveTarget(const LinkTarget& target) const {
    if (target.kind == LinkKind::Url)
        return vendorUrl_ + target.path;
    return files_.resolvePath(files_.dataFolder() + target.path);
}

} // namespace kelvora
