#include <gtest/gtest.h>

#include "info/LinkLauncher.h"
#include "platform/fake/FakeFileSystem.h"
#include "platform/fake/FakeRegistry.h"
#include "platform/fake/FakeShell.h"
#include "settings/LanguageSetting.h"

namespace kelvora {
namespace {

class LinkLauncherTest : public ::testing::Test {
protected:
    LinkLauncherTest() {
        files.setProgramFolder("/opt/kelvora");
        // Folders named as the language files name them; the link table writes them in lower case.
        for (const char* language : {"English", "Polish", "Deutsch"}) {
            files.addFile(std::string("/opt/kelvora/languages/") + language + "/readme.txt", "");
            files.addFile(std::string("/opt/kelvora/languages/") + language + "/license.txt", "");
        }
    }

    std::vector<std::string> openedFor(const std::optional<std::string>& language, void (LinkLauncher::*open)()) {
        fake::FakeRegistry registry;
        if (language)
            saveCurLang(registry, *language);
        fake::FakeShell shell;
        LinkLauncher links(registry, shell, files, "http://vendor.test");
        (links.*open)();
        return shell.opened;
    }

    fake::FakeFileSystem files;
};

using Open = void (LinkLauncher::*)();

TEST_F(LinkLauncherTest, EachLanguageOpensItsOwnTarget) {
    const struct {
        Open open;
        const char* english;
        const char* polish;
        const char* deutsch;
    } table[] = {
        {&LinkLauncher::OpenHomePage, "http://vendor.test/en", "http://vendor.test/pl", "http://vendor.test/de"},
        {&LinkLauncher::OpenReadme, "/opt/kelvora/languages/English/readme.txt",
         "/opt/kelvora/languages/Polish/readme.txt", "/opt/kelvora/languages/Deutsch/readme.txt"},
        {&LinkLauncher::OpenUpdatePage, "http://vendor.test/en/products/kelvora-2008/update.html",
         "http://vendor.test/pl/produkty/kelvora-2008/update.html",
         "http://vendor.test/de/products/kelvora-2008/update.html"},
        {&LinkLauncher::OpenLicenseDocument, "/opt/kelvora/languages/English/license.txt",
         "/opt/kelvora/languages/Polish/license.txt", "/opt/kelvora/languages/Deutsch/license.txt"},
        {&LinkLauncher::OpenSupportPage, "http://vendor.test/en/support.html", "http://vendor.test/pl/wsparcie.html",
         "http://vendor.test/de/support.html"},
        {&LinkLauncher::OpenForum, "http://vendor.test/forum", "http://vendor.test/forum", "http://vendor.test/forum"},
        {&LinkLauncher::OpenContactPage, "http://vendor.test/en/contact.html", "http://vendor.test/pl/kontakt.html",
         "http://vendor.test/de/contact.html"},
    };
    for (const auto& row : table) {
        EXPECT_EQ(openedFor("English", row.open), std::vector<std::string>{row.english});
        EXPECT_EQ(openedFor("Polish", row.open), std::vector<std::string>{row.polish});
        EXPECT_EQ(openedFor("Deutsch", row.open), std::vector<std::string>{row.deutsch});
    }
}

TEST_F(LinkLauncherTest, NamesThatDoNotMatchExactlyOpenNothing) {
    const Open every[] = {&LinkLauncher::OpenHomePage,    &LinkLauncher::OpenReadme,
                          &LinkLauncher::OpenUpdatePage,  &LinkLauncher::OpenLicenseDocument,
                          &LinkLauncher::OpenSupportPage, &LinkLauncher::OpenForum,
                          &LinkLauncher::OpenContactPage};
    const std::optional<std::string> names[] = {std::nullopt, "",         "english",  "POLISH",
                                                " Deutsch",   "English ", "Français", "German"};
    for (const auto& name : names) {
        for (Open open : every)
            EXPECT_TRUE(openedFor(name, open).empty()) << (name ? '"' + *name + '"' : "absent");
    }
}

TEST_F(LinkLauncherTest, AMissingDocumentIsStillHandedToTheShell) {
    fake::FakeFileSystem empty;
    empty.setProgramFolder("/srv/app");
    fake::FakeRegistry registry;
    saveCurLang(registry, "Polish");
    fake::FakeShell shell;
    LinkLauncher(registry, shell, empty, "http://vendor.test").OpenReadme();
    ASSERT_EQ(shell.opened.size(), 1u);
    EXPECT_EQ(shell.opened[0], "/srv/app/languages/polish/readme.txt");
}

} // namespace
} // namespace kelvora
