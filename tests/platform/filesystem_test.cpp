#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/FileSystem.h"
#include "platform/TextLines.h"
#include "platform/fake/FakeFileSystem.h"

namespace kelvora {
namespace {

using Lines = std::vector<std::string>;
const std::string kFffd = "\xEF\xBF\xBD";

TEST(TextLines, LineEndsAreCrLfOrLoneCrOnly) {
    const std::vector<std::pair<std::string, Lines>> cases = {
        {"", {}},
        {"a", {"a"}},
        {"a\r\n", {"a"}},
        {"a\r\nb", {"a", "b"}},
        {"a\rb\r", {"a", "b"}},
        {"a\nb\n", {"a\nb\n"}},
        {"a\r\r\nb", {"a", "", "b"}},
        {"\r\n\r\n", {"", ""}},
        {"\n\r", {"\n"}},
    };
    for (const auto& [bytes, expected] : cases)
        EXPECT_EQ(splitTextLines(bytes), expected) << testing::PrintToString(bytes);
}

TEST(TextLines, ByteOrderMarkSkippedOnlyAtTheStart) {
    EXPECT_EQ(splitTextLines("\xEF\xBB\xBF"), Lines{});
    EXPECT_EQ(splitTextLines("\xEF\xBB\xBF"
                             "100 a\r\n\xEF\xBB\xBF"),
              (Lines{"100 a", "\xEF\xBB\xBF"}));
}

TEST(TextLines, InvalidBytesBecomeReplacementCharacters) {
    const std::vector<std::pair<std::string, std::string>> cases = {
        {"plain ąę", "plain ąę"},
        {"\xF0\x9F\x98\x80", "\xF0\x9F\x98\x80"},
        {"a\xC3", "a" + kFffd},
        {"\xC3(", kFffd + "("},
        {"\xC0\xAF", kFffd + kFffd},             // overlong '/'
        {"\xED\xA0\x80", kFffd + kFffd + kFffd}, // surrogate
        {"\xF4\x90\x80\x80", kFffd + kFffd + kFffd + kFffd},
        {"\xF0\x9F\x98", kFffd + kFffd + kFffd},
        {"\xFF\xFE", kFffd + kFffd},
    };
    for (const auto& [bytes, expected] : cases) {
        EXPECT_EQ(sanitizeUtf8(bytes), expected) << testing::PrintToString(bytes);
        EXPECT_EQ(splitTextLines(bytes), Lines{expected});
    }
}

TEST(WindowsPaths, ComponentsMatchWithoutRegardToCase) {
    fake::FakeFileSystem files;
    files.addFile("/opt/kelvora/languages/Polish/readme.txt", "x");
    files.addFile("/opt/kelvora/languages/Polish/Polish.txt", "x");
    files.addFile("/opt/kelvora/languages/deutsch/README.TXT", "x");
    files.addFile("/opt/kelvora/languages/deutsch/readme.txt", "x");
    const std::vector<std::pair<std::string, std::string>> cases = {
        {"/opt/kelvora\\languages\\polish\\readme.txt", "/opt/kelvora/languages/Polish/readme.txt"},
        {"/opt/kelvora\\languages\\Polish\\Polish.txt", "/opt/kelvora/languages/Polish/Polish.txt"},
        {"/OPT//kelvora\\\\LANGUAGES\\POLISH\\POLISH.TXT", "/opt/kelvora/languages/Polish/Polish.txt"},
        {"/opt/kelvora\\languages\\Deutsch\\readme.txt", "/opt/kelvora/languages/deutsch/readme.txt"},
        {"/opt/kelvora\\languages\\Deutsch\\Readme.txt", "/opt/kelvora/languages/deutsch/README.TXT"},
        {"/opt/kelvora\\languages\\Klingon\\Readme.txt", "/opt/kelvora/languages/Klingon/Readme.txt"},
        {"/opt/kelvora\\languages\\\\.txt", "/opt/kelvora/languages/.txt"},
    };
    for (const auto& [windows, expected] : cases)
        EXPECT_EQ(files.resolvePath(windows), expected) << windows;
}

TEST(InstallLayout, LanguagesBesideTheExecutableFirstThenInTheSharedFolder) {
    const std::string shared = "/usr/share/kelvora-2008";
    const std::vector<std::pair<std::vector<std::string>, std::string>> cases = {
        {{"/usr/bin/languages/English/English.txt", shared + "/languages/English/English.txt"}, "/usr/bin"},
        {{"/usr/bin/LANGUAGES/x.txt"}, "/usr/bin"},
        {{shared + "/languages/English/English.txt"}, shared},
        {{shared + "/readme.txt", "/usr/languages/x.txt"}, "/usr/bin"},
        {{}, "/usr/bin"},
    };
    for (const auto& [paths, expected] : cases) {
        fake::FakeFileSystem files;
        files.setProgramFolder("/usr/bin");
        for (const std::string& path : paths)
            files.addFile(path, "x");
        EXPECT_EQ(files.dataFolder(), expected) << testing::PrintToString(paths);
    }
}

} // namespace
} // namespace kelvora
