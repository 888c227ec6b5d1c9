#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/fake/FakeRegistry.h"
#include "settings/LanguageSetting.h"
#include "settings/RegistrySettings.h"

namespace kelvora {
namespace {

struct JoinCase {
    const char* base;
    const char* app;
    const char* section;
    const char* expected;
};

TEST(JoinKeyPath, JoinsCollapsesAndConvertsSlashes) {
    const std::vector<JoinCase> cases = {
        {"SOFTWARE\\Talvek", "Kelvora 2008", "Settings", "SOFTWARE\\Talvek\\Kelvora 2008\\Settings"},
        {"SOFTWARE\\Talvek", "", "Settings", "SOFTWARE\\Talvek\\Settings"},
        {"", "Kelvora 2008", "Settings", "Kelvora 2008\\Settings"},
        {"", "", "", ""},
        {"SOFTWARE\\Talvek", "", "", "SOFTWARE\\Talvek"},
        {"SOFTWARE\\\\\\Talvek\\", "\\Kelvora 2008\\", "\\\\Settings", "SOFTWARE\\Talvek\\Kelvora 2008\\Settings"},
        {"SOFTWARE/Talvek", "App", "", "SOFTWARE\\Talvek\\App"},
        {"SOFTWARE//Talvek", "App", "", "SOFTWARE\\\\Talvek\\App"},
        {"SOFTWARE/", "App", "", "SOFTWARE\\\\App"},
    };
    for (const JoinCase& c : cases)
        EXPECT_EQ(JoinKeyPath(c.base, c.app, c.section), c.expected)
            << "'" << c.base << "' '" << c.app << "' '" << c.section << "'";
}

class RegistrySettingsTest : public ::testing::Test {
protected:
    static constexpr const char* kKey = "HKEY_CURRENT_USER\\SOFTWARE\\Talvek\\Kelvora 2008\\Settings";

    void setRaw(const std::string& name, std::uint32_t type, std::vector<std::uint8_t> data) {
        registry.tree().setValue(kKey, RegistryValue{name, type, std::move(data)});
    }
    std::string get(const std::string& name, const std::string& fallback = "default") {
        return GetRegSetting(registry, kAppTitle, kSettingsSection, name, fallback);
    }

    fake::FakeRegistry registry;
};

TEST_F(RegistrySettingsTest, EachHandledTypeReadsAsItsText) {
    setRaw("sz", REG_SZ, {'a', 'b', 0});
    setRaw("expand", REG_EXPAND_SZ, {'%', 'H', 'O', 'M', 'E', '%', 0});
    setRaw("binary", REG_BINARY, {10, 255, 0});
    setRaw("dword", REG_DWORD, {0xFE, 0xFF, 0xFF, 0xFF});
    setRaw("bigEndian", REG_DWORD_BIG_ENDIAN, {1, 0, 0, 0});
    setRaw("multi", 7, {'a', 0, 0});
    EXPECT_EQ(get("sz"), "ab");
    EXPECT_EQ(get("expand"), "%HOME%");
    EXPECT_EQ(get("binary"), "0A FF 00");
    EXPECT_EQ(get("dword"), "-2");
    EXPECT_EQ(get("bigEndian"), "1"); // machine order, no swap
    EXPECT_EQ(get("multi"), "default");
    EXPECT_EQ(get("absent"), "default");
    EXPECT_EQ(registry.openKeyCount(), 0u);
}

TEST_F(RegistrySettingsTest, ReadValueDataReportsTypeAndResult) {
    setRaw("multi", 7, {'a', 0, 0});
    setRaw("binary", REG_BINARY, {});
    RegKey key = kNullKey;
    ASSERT_EQ(registry.OpenKey(kHkeyCurrentUser, "software\\TALVEK\\kelvora 2008\\settings", kKeyRead, key), 0);
    RegData value;
    std::uint32_t type = 0;
    EXPECT_EQ(ReadValueData(registry, key, "multi", value, type), -1);
    EXPECT_EQ(type, 7u);
    EXPECT_EQ(value, RegData(std::string()));
    EXPECT_EQ(ReadValueData(registry, key, "binary", value, type), 0);
    EXPECT_EQ(value, RegData(std::string()));
    EXPECT_EQ(ReadValueData(registry, key, "absent", value, type), kErrorFileNotFound);
    EXPECT_EQ(ReadValueData(registry, kNullKey, "multi", value, type), kErrorInvalidHandle);
    registry.CloseKey(key);
}

TEST_F(RegistrySettingsTest, BlankAndEmptyTextsReadAsDefaultButLeadingSpaceStays) {
    setRaw("spaces", REG_SZ, {' ', ' ', ' ', 0});
    setRaw("leading", REG_SZ, {' ', 'E', 'n', 0});
    setRaw("sizeZero", REG_SZ, {});
    setRaw("justNul", REG_SZ, {0});
    setRaw("noTerminator", REG_SZ, {'a', 'b'});
    EXPECT_EQ(get("spaces"), "default");
    EXPECT_EQ(get("leading"), " En");
    EXPECT_EQ(get("sizeZero"), "default");
    EXPECT_EQ(get("justNul"), "default");
    EXPECT_EQ(get("noTerminator"), "ab");
}

TEST_F(RegistrySettingsTest, MissingKeyReadsDefaultWithoutCreatingIt) {
    EXPECT_EQ(readCurLang(registry), "");
    EXPECT_FALSE(registry.tree().hasKey("HKEY_CURRENT_USER\\SOFTWARE"));
    EXPECT_EQ(registry.writeCount(), 0);
}

TEST_F(RegistrySettingsTest, WritingCreatesTheWholePathAndStoresEachType) {
    ASSERT_TRUE(SaveRegSetting(registry, kAppTitle, kSettingsSection, "curLang", "Polish"));
    EXPECT_TRUE(registry.tree().hasKey("HKEY_CURRENT_USER\\SOFTWARE"));
    EXPECT_TRUE(registry.tree().hasKey("HKEY_CURRENT_USER\\SOFTWARE\\Talvek\\Kelvora 2008"));
    const RegistryValue* stored = registry.tree().findValue(kKey, "CURLANG");
    ASSERT_NE(stored, nullptr);
    EXPECT_EQ(stored->type, static_cast<std::uint32_t>(REG_SZ));
    EXPECT_EQ(stored->data, (std::vector<std::uint8_t>{'P', 'o', 'l', 'i', 's', 'h', 0}));
    EXPECT_EQ(readCurLang(registry), "Polish");

    const std::string base = "SOFTWARE\\Talvek";
    EXPECT_TRUE(SaveRegSetting(registry, kAppTitle, "S", "e", "%PATH%", kHkeyCurrentUser, base, REG_EXPAND_SZ));
    EXPECT_TRUE(SaveRegSetting(registry, kAppTitle, "S", "d", "-7", kHkeyCurrentUser, base, REG_DWORD));
    EXPECT_TRUE(SaveRegSetting(registry, kAppTitle, "S", "b", "7", kHkeyCurrentUser, base, REG_DWORD_BIG_ENDIAN));
    EXPECT_TRUE(SaveRegSetting(registry, kAppTitle, "S", "x", "0A", kHkeyCurrentUser, base, REG_BINARY));
    EXPECT_FALSE(SaveRegSetting(registry, kAppTitle, "S", "n", "seven", kHkeyCurrentUser, base, REG_DWORD));
    EXPECT_FALSE(SaveRegSetting(registry, kAppTitle, "S", "o", "4294967296", kHkeyCurrentUser, base, REG_DWORD));
    auto read = [&](const char* name) { return GetRegSetting(registry, kAppTitle, "S", name, "none"); };
    EXPECT_EQ(read("e"), "%PATH%");
    EXPECT_EQ(read("d"), "-7");
    EXPECT_EQ(read("b"), "7");
    EXPECT_EQ(read("x"), "none"); // binary values are never written
    EXPECT_EQ(read("n"), "none");
    EXPECT_EQ(registry.openKeyCount(), 0u);
}

TEST_F(RegistrySettingsTest, FailedWriteIsReportedAndReadsTheDefault) {
    registry.setWritable(false);
    EXPECT_FALSE(saveCurLang(registry, "Polish"));
    EXPECT_EQ(readCurLang(registry), "");
    EXPECT_EQ(registry.openKeyCount(), 0u);
}

TEST_F(RegistrySettingsTest, EmptyLanguageIsStoredAsEmptyText) {
    ASSERT_TRUE(saveCurLang(registry, "Polish"));
    ASSERT_TRUE(saveCurLang(registry, ""));
    const RegistryValue* stored = registry.tree().findValue(kKey, "curLang");
    ASSERT_NE(stored, nullptr);
    EXPECT_EQ(stored->data, std::vector<std::uint8_t>{0});
    EXPECT_EQ(readCurLang(registry), "");
}

TEST(FakeRegistryKeys, NullHandlesAndBadPathsAreRefused) {
    fake::FakeRegistry registry;
    RegKey key = 99;
    EXPECT_EQ(registry.OpenKey(kHkeyCurrentUser, "Missing", kKeyRead, key), kErrorFileNotFound);
    EXPECT_EQ(key, kNullKey);
    EXPECT_EQ(registry.CreateKey(kHkeyCurrentUser, "a\\\\b", kKeyAllAccess, key), kErrorBadPathname);
    EXPECT_EQ(registry.CreateKey(12345, "a", kKeyAllAccess, key), kErrorInvalidHandle);
    std::uint32_t type = 0;
    std::uint32_t size = 0;
    EXPECT_EQ(registry.QueryValue(kNullKey, "v", type, size, nullptr), kErrorInvalidHandle);
    EXPECT_EQ(registry.SetValue(kNullKey, "v", REG_SZ, {0}), kErrorInvalidHandle);
    EXPECT_EQ(registry.CloseKey(kNullKey), kErrorInvalidHandle);

    ASSERT_EQ(registry.CreateKey(kHkeyCurrentUser, "Software\\A", kKeyAllAccess, key), 0);
    RegKey child = kNullKey;
    EXPECT_EQ(registry.CreateKey(key, "B", kKeyAllAccess, child), 0);
    EXPECT_TRUE(registry.tree().hasKey("HKEY_CURRENT_USER\\software\\a\\b"));
    ASSERT_EQ(registry.SetValue(child, "v", REG_BINARY, {1, 2, 3}), 0);
    std::vector<std::uint8_t> data;
    size = 2;
    EXPECT_EQ(registry.QueryValue(child, "V", type, size, &data), kErrorMoreData);
    EXPECT_EQ(size, 3u);
    EXPECT_EQ(registry.QueryValue(child, "V", type, size, &data), 0);
    EXPECT_EQ(data, (std::vector<std::uint8_t>{1, 2, 3}));
    EXPECT_EQ(registry.CloseKey(child), 0);
    EXPECT_EQ(registry.CloseKey(child), kErrorInvalidHandle);
    EXPECT_EQ(registry.CloseKey(key), 0);
}

} // namespace
} // namespace kelvora
