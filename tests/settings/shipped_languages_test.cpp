#include <gtest/gtest.h>

#include <fstream>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "platform/FileSystem.h"
#include "settings/Language.h"
#include "settings/StringTable.h"
#include "support/TestPaths.h"

namespace kelvora {
namespace {

std::vector<int> slotsTheProgramReads() {
    std::vector<int> slots = {100, 101, 118, 119, 120, 121, 122, 125, 126, 127,
                              128, 135, 144, 145, 146, 147, 177, 178, 179};
    for (int slot = 182; slot <= 230; ++slot)
        slots.push_back(slot);
    return slots;
}

std::string rawBytes(const std::string& path) {
    std::ifstream file(path, std::ios::binary);
    std::ostringstream bytes;
    bytes << file.rdbuf();
    return bytes.str();
}

class ShippedLanguageTest : public ::testing::TestWithParam<std::string> {
protected:
    std::string folder() const { return test::sourceDir() + "/languages/" + GetParam(); }
};

TEST_P(ShippedLanguageTest, FilesUseCrLfLineEnds) {
    for (const std::string& name : {GetParam() + ".txt", std::string("readme.txt"), std::string("license.txt")}) {
        const std::string bytes = rawBytes(folder() + "/" + name);
        ASSERT_FALSE(bytes.empty()) << name;
        for (std::size_t pos = bytes.find('\n'); pos != std::string::npos; pos = bytes.find('\n', pos + 1))
            ASSERT_TRUE(pos > 0 && bytes[pos - 1] == '\r') << name << " has a lone LF at byte " << pos;
        EXPECT_EQ(bytes.find('_'), std::string::npos) << name;
    }
}

TEST_P(ShippedLanguageTest, EverySlotTheProgramReadsIsSet) {
    const auto files = createFileSystem();
    StringTable table;
    ASSERT_EQ(LoadLanguageFile(*files, table, folder() + "\\" + GetParam() + ".txt"), 0);
    for (int slot : slotsTheProgramReads()) {
        EXPECT_FALSE(table[slot].empty()) << "slot " << slot;
        EXPECT_EQ(table[slot].find_first_of("\r\n"), std::string::npos) << "slot " << slot;
    }
    for (int slot : {224, 225, 226}) // a figure follows directly
        EXPECT_EQ(table[slot].back(), ' ') << "slot " << slot;
    for (int slot : {147, 177, 179, 182, 183, 184, 185, 186, 197})
        EXPECT_NE(table[slot].find('&'), std::string::npos) << "slot " << slot;
    EXPECT_TRUE(table[0].empty()); // nothing in the file is misread as a line without number
}

INSTANTIATE_TEST_SUITE_P(Languages, ShippedLanguageTest, ::testing::Values("English", "Polish", "Deutsch"));

TEST(ShippedLanguages, PolishKeepsTheDesignCaptions) {
    const std::map<int, std::string> captions = {
        {118, "Kelvora 2008 - O programie..."},
        {119, "Wersja:"},
        {135, "Przejdź >>"},
        {177, "&Program"},
        {178, "Zamknij"},
        {179, "&Pomoc"},
        {182, "&Plik Readme"},
        {183, "&Licencja"},
        {184, "&Sprawdź dostępne aktualizacje..."},
        {185, "S&trona WWW..."},
        {186, "&O programie..."},
        {187, "Informacje"},
        {189, "Optymalizacja pamięci"},
        {194, "Kelvora 2008 służy do optymalizacji pamięci oraz procesora. Działa poprawnie w systemie Windows "
              "98/Me/2000/XP/Vista. "},
        {196, "Wybierz język:"},
        {197, "&Zapisz"},
        {198, "Priorytet dla procesów nie aktywnych:"},
        {209, "Kiedy wolna pamięć spadnie do:"},
        {210, "Optymalizuj!"},
    };
    const auto files = createFileSystem();
    StringTable table;
    ASSERT_EQ(LoadLanguageFile(*files, table, test::sourceDir() + "\\languages\\polish\\polish.txt"), 0);
    for (const auto& [slot, caption] : captions)
        EXPECT_EQ(table[slot], caption) << "slot " << slot;
}

} // namespace
} // namespace kelvora
