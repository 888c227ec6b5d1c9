#include <gtest/gtest.h>

#include <optional>
#include <random>
#include <string>
#include <vector>

#include "platform/fake/FakeFileSystem.h"
#include "platform/fake/FakeRegistry.h"
#include "settings/Language.h"
#include "settings/LanguageSetting.h"
#include "settings/RegistrySettings.h"
#include "settings/StringTable.h"

namespace kelvora {
namespace {

struct LineCase {
    const char* name;
    std::string line;
    std::optional<int> slot; // nothing: the line sets no slot
    std::string text;
};

class LanguageLineTest : public ::testing::TestWithParam<LineCase> {};

TEST_P(LanguageLineTest, SetsTheExpectedSlot) {
    const LineCase& c = GetParam();
    const auto parsed = parseLanguageLine(c.line);
    ASSERT_EQ(parsed.has_value(), c.slot.has_value()) << c.name;
    if (parsed) {
        EXPECT_EQ(parsed->slot, *c.slot) << c.name;
        EXPECT_EQ(parsed->text, c.text) << c.name;
    }
}

INSTANTIATE_TEST_SUITE_P(
    Lines, LanguageLineTest,
    ::testing::Values(
        LineCase{"plain", "196 Wybierz język:", 196, "Wybierz język:"},
        LineCase{"comment", "; 196 comment", std::nullopt, ""}, LineCase{"commentAfterSpace", " ;96 text", 0, " text"},
        LineCase{"empty", "", std::nullopt, ""}, LineCase{"spacesOnly", "     ", std::nullopt, ""},
        LineCase{"tabsAreNotBlank", "\t\t", 0, ""}, LineCase{"tabsWithText", "\t\t\t\tabc", 0, "abc"},
        LineCase{"spaceInsideNumber", "1 2 text", 12, "text"},
        LineCase{"twoDigitsEatFirstTextChar", "12 Hello", 12, "ello"},
        LineCase{"fourDigits", "1000 text", 100, " text"}, LineCase{"negative", "-12 text", std::nullopt, ""},
        LineCase{"lettersMeanSlotZero", "abc text", 0, "text"}, LineCase{"digitThenLetter", "2a5 text", 2, "text"},
        LineCase{"anySeparator", "200xNiski", 200, "Niski"},
        LineCase{"underscoresBreakLines", "196 one_two__three", 196, "one\rtwo\r\rthree"},
        LineCase{"spacesKept", "224 Total:  ", 224, "Total:  "}, LineCase{"threeDigitsOnly", "145", 145, ""},
        LineCase{"fourCharacters", "145 ", 145, ""}, LineCase{"shortNumber", "7", 7, ""},
        LineCase{"multiByteSeparator", "199ęNormalny", 199, "Normalny"},
        LineCase{"multiByteInNumberField", "1ż3 text", 1, "text"},
        LineCase{"multiByteText", "189 Optymalizacja pamięci", 189, "Optymalizacja pamięci"},
        LineCase{"emojiSeparator", "210\xF0\x9F\x98\x80Go", 210, "Go"},
        LineCase{"invalidByteCountsAsOneCharacter", "12\xFF text", 12, "text"},
        LineCase{"plusSign", "+5 xtext", 5, "text"}),
    [](const ::testing::TestParamInfo<LineCase>& info) { return std::string(info.param.name); });

TEST(LanguageLines, LaterLineForTheSameSlotWinsAndOthersStay) {
    StringTable table;
    table.set(500, "kept");
    applyLanguageLines({"199 Normalny", "200 Niski", "199 Niski", "-5 dropped"}, table);
    EXPECT_EQ(table[199], "Niski");
    EXPECT_EQ(table[200], "Niski");
    EXPECT_EQ(table[500], "kept");
}

TEST(LanguageLines, ArbitraryBytesNeverCrashOrLeaveTheTable) {
    const std::vector<std::string> pieces = {"1",    "9",    "0", " ",        "-",        "+", ";",  "_", "\t",
                                             "\xFF", "\xC3", "ą", "\xF0\x9F", "\x98\x80", "a", "\n", "\0"};
    std::mt19937 random(11);
    for (int round = 0; round < 5000; ++round) {
        std::string line;
        const int count = std::uniform_int_distribution<>(0, 12)(random);
        for (int i = 0; i < count; ++i)
            line += pieces[std::uniform_int_distribution<std::size_t>(0, pieces.size() - 1)(random)];
        if (const auto parsed = parseLanguageLine(line)) {
            ASSERT_GE(parsed->slot, 0) << testing::PrintToString(line);
            ASSERT_LE(parsed->slot, 999) << testing::PrintToString(line);
            ASSERT_EQ(parsed->text.find('_'), std::string::npos);
        }
    }
}

class LanguageFileTest : public ::testing::Test {
protected:
    const std::string folder = "/opt/kelvora";
    fake::FakeFileSystem files;
    StringTable table;
};

TEST_F(LanguageFileTest, ReadsCrLfAndLoneCrLinesButNotLoneLf) {
    files.addFile("/opt/kelvora/languages/Polish/Polish.txt",
                  "\xEF\xBB\xBF; header\r\n100 a\r101 b\n102 c\r\n\r\n    \r\n103 d");
    EXPECT_EQ(LoadLanguageFile(files, table, folder + "\\languages\\Polish\\Polish.txt"), 0);
    EXPECT_EQ(table[100], "a");
    EXPECT_EQ(table[101], "b\n102 c");
    EXPECT_EQ(table[102], "");
    EXPECT_EQ(table[103], "d");
}

TEST_F(LanguageFileTest, InvalidUtf8IsReplacedNotFatal) {
    files.addFile("/opt/kelvora/languages/English/English.txt", "100 a\xC3(b\r\n101 \xFF\xFEok");
    EXPECT_EQ(LoadLanguageFile(files, table, folder + "\\languages\\English\\English.txt"), 0);
    EXPECT_EQ(table[100], "a\xEF\xBF\xBD(b");
    EXPECT_EQ(table[101], "\xEF\xBF\xBD\xEF\xBF\xBDok");
}

TEST_F(LanguageFileTest, FolderNamesMatchWithoutRegardToCase) {
    files.addFile("/opt/kelvora/languages/Polish/Polish.txt", "100 x");
    EXPECT_EQ(LoadLanguageFile(files, table, folder + "\\LANGUAGES\\polish\\POLISH.TXT"), 0);
    EXPECT_EQ(table[100], "x");
}

TEST_F(LanguageFileTest, MissingEmptyOrHiddenFilesLeaveTheTable) {
    table.set(100, "before");
    files.addFile("/opt/kelvora/languages/.txt", "100 hidden");
    files.addFolder("/opt/kelvora/languages/Deutsch/Deutsch.txt");
    EXPECT_EQ(LoadLanguageFile(files, table, ""), 1);
    EXPECT_EQ(LoadLanguageFile(files, table, folder + "\\languages\\Missing\\Missing.txt"), 1);
    EXPECT_EQ(LoadLanguageFile(files, table, folder + "\\languages\\\\.txt"), 1);
    EXPECT_EQ(LoadLanguageFile(files, table, folder + "\\languages\\Deutsch\\Deutsch.txt"), 1);
    EXPECT_EQ(table[100], "before");

    files.addFile("/opt/kelvora/empty.txt", "");
    files.addFile("/opt/kelvora/comments.txt", ";only\r\n;comments\r\n");
    EXPECT_EQ(LoadLanguageFile(files, table, folder + "\\empty.txt"), 0);
    EXPECT_EQ(LoadLanguageFile(files, table, folder + "\\comments.txt"), 0);
    EXPECT_EQ(table[100], "before");
}

TEST_F(LanguageFileTest, UnreadableFileEndsTheLoadQuietly) {
    files.addFile("/opt/kelvora/locked.txt", "100 x");
    files.setUnreadable("/opt/kelvora/locked.txt");
    EXPECT_EQ(LoadLanguageFile(files, table, folder + "\\locked.txt"), 1);
    EXPECT_EQ(table[100], "");
}

class LoadLanguageTest : public ::testing::Test {
protected:
    void SetUp() override {
        files.addFile("/opt/kelvora/languages/English/English.txt", "101 Already running\r\n");
        files.addFile("/opt/kelvora/languages/Polish/Polish.txt", "101 Już działa\r\n");
    }
    void load() {
        LoadLanguage(registry, files, table, [this](const std::string& text) { messages.push_back(text); });
    }

    fake::FakeRegistry registry;
    fake::FakeFileSystem files;
    StringTable table;
    std::vector<std::string> messages;
};

TEST_F(LoadLanguageTest, FirstStartWarnsOnceStoresEnglishAndLoadsIt) {
    load();
    ASSERT_EQ(messages, std::vector<std::string>{"Error: Failed loading selected language."});
    EXPECT_EQ(readCurLang(registry), "English");
    EXPECT_EQ(table[101], "Already running");

    StringTable second;
    LoadLanguage(registry, files, second, [this](const std::string& text) { messages.push_back(text); });
    EXPECT_EQ(messages.size(), 1u);
    EXPECT_EQ(registry.openKeyCount(), 0u);
}

TEST_F(LoadLanguageTest, StoredLanguageIsLoadedWithoutMessage) {
    ASSERT_TRUE(saveCurLang(registry, "Polish"));
    load();
    EXPECT_TRUE(messages.empty());
    EXPECT_EQ(table[101], "Już działa");
}

TEST_F(LoadLanguageTest, ABlankNameOrANumberCountsAsAbsent) {
    for (const std::uint32_t type : {REG_SZ, REG_DWORD}) {
        ASSERT_TRUE(SaveRegSetting(registry, kAppTitle, kSettingsSection, kCurLangValue, type == REG_SZ ? "   " : "5",
                                   kHkeyCurrentUser, kSettingsBaseKey, type));
        EXPECT_EQ(readCurLang(registry), "") << type;
        messages.clear();
        load();
        EXPECT_EQ(messages.size(), 1u) << type;
        EXPECT_EQ(readCurLang(registry), "English");
        EXPECT_EQ(table[101], "Already running");
    }
}

TEST_F(LoadLanguageTest, UnwritableStoreWarnsAtEveryStartAndLeavesTheTableEmpty) {
    registry.setWritable(false);
    load();
    load();
    EXPECT_EQ(messages.size(), 2u);
    EXPECT_EQ(readCurLang(registry), "");
    EXPECT_EQ(table[101], "");
}

TEST_F(LoadLanguageTest, UnknownNameLoadsNothingAndRunsOn) {
    ASSERT_TRUE(saveCurLang(registry, "Klingon"));
    load();
    EXPECT_TRUE(messages.empty());
    EXPECT_EQ(table[101], "");
}

} // namespace
} // namespace kelvora
