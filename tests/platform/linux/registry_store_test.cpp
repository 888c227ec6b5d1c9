#include <gtest/gtest.h>

#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <random>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "platform/RegFileFormat.h"
#include "platform/Registry.h"
#include "platform/linux/LinuxStorePaths.h"
#include "settings/LanguageSetting.h"
#include "settings/RegistrySettings.h"
#include "support/TestPaths.h"

namespace kelvora {
namespace {

const std::string kSettings = "HKEY_CURRENT_USER\\SOFTWARE\\Talvek\\Kelvora 2008\\Settings";

std::string readFile(const std::string& path) {
    std::ifstream file(path, std::ios::binary);
    std::ostringstream bytes;
    bytes << file.rdbuf();
    return bytes.str();
}

void writeFile(const std::string& path, const std::string& bytes) {
    std::filesystem::create_directories(std::filesystem::path(path).parent_path());
    std::ofstream(path, std::ios::binary) << bytes;
}

std::vector<std::string> filesBeside(const std::string& path, const std::string& prefix) {
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(std::filesystem::path(path).parent_path()))
        if (entry.path().filename().string().rfind(prefix, 0) == 0)
            names.push_back(entry.path().string());
    return names;
}

std::vector<std::uint8_t> bytesOf(const std::string& text) {
    return {text.begin(), text.end()};
}

TEST(RegFileFormat, EveryValueReadsBackExactly) {
    RegistryTree tree;
    const std::vector<RegistryValue> values = {
        {"curLang", 1, bytesOf(std::string("Polski \\ \"ąę\"") + '\0')},
        {"", 1, bytesOf(std::string("default value") + '\0')},
        {"with \"quote\" \\ name", 1, bytesOf(std::string("x") + '\0')},
        {"empty", 1, {}},
        {"justNul", 1, {0}},
        {"noNul", 1, bytesOf("ab")},
        {"lineBreak", 1, bytesOf(std::string("a\r\nb") + '\0')},
        {"invalidUtf8", 1, {0xFF, 0}},
        {"expand", 2, bytesOf(std::string("%HOME%\\x") + '\0')},
        {"binary", 3, {10, 255, 0}},
        {"dword", 4, {0xFE, 0xFF, 0xFF, 0xFF}},
        {"shortDword", 4, {1, 2}},
        {"bigEndian", 5, {1, 0, 0, 0}},
        {"multi", 7, bytesOf(std::string("a\0b\0\0", 5))},
        {"long", 3, std::vector<std::uint8_t>(300, 0xAB)},
    };
    for (const RegistryValue& value : values)
        tree.setValue(kSettings, value);
    tree.setValue("HKEY_CURRENT_USER", {"atRoot", 4, {1, 0, 0, 0}});
    tree.createKey("HKEY_LOCAL_MACHINE\\Empty\\Key");

    const std::string text = writeRegFile(tree);
    EXPECT_EQ(text.rfind("REGEDIT4\n", 0), 0u);
    EXPECT_NE(text.find("[HKEY_CURRENT_USER\\SOFTWARE\\Talvek\\Kelvora 2008\\Settings]\n"), std::string::npos);
    EXPECT_NE(text.find("\"curLang\"=\"Polski \\\\ \\\"ąę\\\"\"\n"), std::string::npos);
    EXPECT_NE(text.find("\"dword\"=dword:fffffffe\n"), std::string::npos);
    EXPECT_NE(text.find("\"binary\"=hex:0a,ff,00\n"), std::string::npos);
    EXPECT_NE(text.find("\"bigEndian\"=hex(5):01,00,00,00\n"), std::string::npos);
    EXPECT_NE(text.find("\"expand\"=hex(2):"), std::string::npos);

    const RegFileContents read = readRegFile(text);
    EXPECT_TRUE(read.clean);
    EXPECT_EQ(writeRegFile(read.tree), text);
    for (const RegistryValue& value : values) {
        const RegistryValue* back = read.tree.findValue(kSettings, value.name);
        ASSERT_NE(back, nullptr) << value.name;
        EXPECT_EQ(back->type, value.type) << value.name;
        EXPECT_EQ(back->data, value.data) << value.name;
    }
    EXPECT_NE(read.tree.findValue("HKEY_CURRENT_USER", "ATROOT"), nullptr);
    EXPECT_TRUE(read.tree.hasKey("hkey_local_machine\\empty\\key"));
}

TEST(RegFileFormat, ReadsHandWrittenExports) {
    // Saved by an editor that starts the file with a byte-order mark.
    const std::string text = "\xEF\xBB\xBFREGEDIT4\r\n\r\n; a comment\r\n"
                             "[HKEY_CURRENT_USER\\Software\\TALVEK\\Kelvora 2008\\Settings]\r\n"
                             "\"curLang\"=\"Eng\\\"lish\\\\\"\r\n"
                             "\"bin\"=hex:01,02,\\\r\n"
                             "  03,04\r\n"
                             "[hkey_current_user\\software\\talvek\\kelvora 2008\\settings]\r\n"
                             "\"CURLANG\"=\"Deutsch\"\r\n"
                             "@=dword:0000000A\r\n";
    const RegFileContents read = readRegFile(text);
    EXPECT_TRUE(read.clean);
    const RegistryValue* lang = read.tree.findValue(kSettings, "curlang");
    ASSERT_NE(lang, nullptr);
    EXPECT_EQ(lang->data, bytesOf(std::string("Deutsch") + '\0'));
    EXPECT_EQ(lang->name, "curLang");
    ASSERT_NE(read.tree.findValue(kSettings, "bin"), nullptr);
    EXPECT_EQ(read.tree.findValue(kSettings, "bin")->data, (std::vector<std::uint8_t>{1, 2, 3, 4}));
    ASSERT_NE(read.tree.findValue(kSettings, ""), nullptr);
    EXPECT_EQ(read.tree.findValue(kSettings, "")->data, (std::vector<std::uint8_t>{10, 0, 0, 0}));
    EXPECT_EQ(read.tree.keys().size(), 4u); // the hive's root is no key of its own
}

TEST(RegFileFormat, DamagedTextKeepsWhatParsesAndIsMarked) {
    const std::string good = "REGEDIT4\n\n[" + kSettings + "]\n\"curLang\"=\"Polish\"\n";
    const std::vector<std::string> damaged = {
        good + "\"other\"=\"trunc",                      // cut off mid-line
        good + "garbage line\n",                         // junk
        good + "\"bad\"=dword:123456789\n",              // number too long
        good + "\"bad\"=hex:0g\n",                       // not hex
        good + "\"bad\"=\"x\\y\"\n",                     // unknown escape
        good + "[HKEY_NOWHERE\\x]\n\"y\"=\"z\"\n",       // no such hive
        good + "[HKEY_CURRENT_USER\\a\\\\b]\n",          // empty key name
        "[" + kSettings + "]\n\"curLang\"=\"Polish\"\n", // no header
        good + "\"name\xFF\"=\"x\"\n",                   // invalid UTF-8
        std::string("\xFF\xFER\0E\0G\0", 8) + good,      // UTF-16 text before
    };
    for (const std::string& text : damaged) {
        const RegFileContents read = readRegFile(text);
        EXPECT_FALSE(read.clean) << testing::PrintToString(text);
        const RegistryValue* lang = read.tree.findValue(kSettings, "curLang");
        ASSERT_NE(lang, nullptr) << testing::PrintToString(text);
        EXPECT_EQ(lang->data, bytesOf(std::string("Polish") + '\0'));
    }
    EXPECT_TRUE(readRegFile("").clean);
    EXPECT_FALSE(readRegFile(std::string(64, '\0')).clean);
}

TEST(RegFileFormat, ArbitraryTextNeverCrashesAndRewritesClean) {
    const std::vector<std::string> pieces = {"REGEDIT4\n",
                                             "[HKEY_CURRENT_USER\\A]\n",
                                             "[HKEY_USERS]\n",
                                             "\"v\"=",
                                             "\"",
                                             "\\",
                                             "dword:",
                                             "hex(2):",
                                             "hex:",
                                             "0a,",
                                             "ff",
                                             "\\\n",
                                             "@=",
                                             "\r\n",
                                             "\xFF",
                                             "\xC3",
                                             "ą",
                                             "[",
                                             "]",
                                             "=",
                                             "\0",
                                             " "};
    std::mt19937 random(7);
    for (int round = 0; round < 2000; ++round) {
        std::string text;
        const int count = std::uniform_int_distribution<>(0, 30)(random);
        for (int i = 0; i < count; ++i)
            text += pieces[std::uniform_int_distribution<std::size_t>(0, pieces.size() - 1)(random)];
        const RegFileContents read = readRegFile(text);
        const std::string rewritten = writeRegFile(read.tree);
        const RegFileContents again = readRegFile(rewritten);
        ASSERT_TRUE(again.clean) << testing::PrintToString(text);
        ASSERT_EQ(writeRegFile(again.tree), rewritten) << testing::PrintToString(text);
    }
}

class LinuxStoreTest : public ::testing::Test {
protected:
    void SetUp() override {
        if (const char* old = std::getenv("XDG_CONFIG_HOME"))
            saved_ = old;
        ::setenv("XDG_CONFIG_HOME", dir_.path().c_str(), 1);
        store_ = registryStorePath();
    }
    void TearDown() override {
        if (saved_)
            ::setenv("XDG_CONFIG_HOME", saved_->c_str(), 1);
        else
            ::unsetenv("XDG_CONFIG_HOME");
    }

    test::TempDir dir_;
    std::optional<std::string> saved_;
    std::string store_;
};

TEST_F(LinuxStoreTest, StoreLivesUnderTheConfigFolderAndRoundTrips) {
    EXPECT_EQ(store_, dir_.path() + "/Talvek/kelvora-2008.reg");
    auto first = createRegistry();
    EXPECT_EQ(readCurLang(*first), "");
    EXPECT_FALSE(std::filesystem::exists(store_)); // reading creates nothing
    ASSERT_TRUE(saveCurLang(*first, "Polish"));

    const std::string text = readFile(store_);
    EXPECT_EQ(text, "REGEDIT4\n\n[HKEY_CURRENT_USER\\SOFTWARE]\n\n[HKEY_CURRENT_USER\\SOFTWARE\\Talvek]\n\n"
                    "[HKEY_CURRENT_USER\\SOFTWARE\\Talvek\\Kelvora 2008]\n\n"
                    "[HKEY_CURRENT_USER\\SOFTWARE\\Talvek\\Kelvora 2008\\Settings]\n\"curLang\"=\"Polish\"\n");
    EXPECT_EQ(std::filesystem::status(store_).permissions() & std::filesystem::perms::all,
              std::filesystem::perms::owner_read | std::filesystem::perms::owner_write);

    auto second = createRegistry();
    EXPECT_EQ(readCurLang(*second), "Polish");
    EXPECT_TRUE(SaveRegSetting(*second, "kelvora 2008", "SETTINGS", "CurLang", "Deutsch", kHkeyCurrentUser,
                               "software\\talvek"));
    EXPECT_EQ(readCurLang(*first), "Deutsch");
    EXPECT_TRUE(filesBeside(store_, "kelvora-2008.reg.damaged").empty());
}

TEST_F(LinuxStoreTest, OpenHandleSeesWhatAnotherProcessWrote) {
    auto registry = createRegistry();
    ASSERT_TRUE(saveCurLang(*registry, "English"));
    RegKey key = kNullKey;
    ASSERT_EQ(registry->OpenKey(kHkeyCurrentUser, "SOFTWARE\\Talvek\\Kelvora 2008\\Settings", kKeyRead, key), 0);
    ASSERT_TRUE(saveCurLang(*createRegistry(), "Polish"));
    RegData value;
    std::uint32_t type = 0;
    EXPECT_EQ(ReadValueData(*registry, key, "curLang", value, type), 0);
    EXPECT_EQ(value, RegData(std::string("Polish")));
    EXPECT_EQ(registry->CloseKey(key), 0);
}

TEST_F(LinuxStoreTest, DamagedStoreIsReadAsFarAsItParsesAndKeptAsideBeforeTheFirstWrite) {
    const std::string damaged = "REGEDIT4\n\n[" + kSettings + "]\n\"curLang\"=\"Deutsch\"\n\"x\"=\"cut \xFF";
    writeFile(store_, damaged);
    auto registry = createRegistry();
    EXPECT_EQ(readCurLang(*registry), "Deutsch");
    EXPECT_EQ(readFile(store_), damaged); // reading never rewrites

    ASSERT_TRUE(SaveRegSetting(*registry, kAppTitle, kSettingsSection, "other", "1"));
    const auto kept = filesBeside(store_, "kelvora-2008.reg.damaged-");
    ASSERT_EQ(kept.size(), 1u);
    EXPECT_EQ(readFile(kept[0]), damaged);
    EXPECT_TRUE(readRegFile(readFile(store_)).clean);
    EXPECT_EQ(readCurLang(*registry), "Deutsch");

    ASSERT_TRUE(saveCurLang(*registry, "Polish")); // the store parses now: nothing more is kept
    EXPECT_EQ(filesBeside(store_, "kelvora-2008.reg.damaged-").size(), 1u);

    writeFile(store_, std::string("\xFF\xFE\0\0garbage", 11));
    EXPECT_EQ(readCurLang(*registry), "");
    ASSERT_TRUE(saveCurLang(*registry, "English"));
    EXPECT_EQ(filesBeside(store_, "kelvora-2008.reg.damaged-").size(), 2u);
    EXPECT_EQ(readCurLang(*registry), "English");
}

TEST_F(LinuxStoreTest, UnwritableStoreFailsTheWriteAndReadsTheDefault) {
    // A file where the store's folder belongs stops the write even for root.
    writeFile(dir_.path() + "/Talvek", "not a folder");
    auto registry = createRegistry();
    EXPECT_FALSE(saveCurLang(*registry, "Polish"));
    RegKey key = kNullKey;
    EXPECT_NE(registry->CreateKey(kHkeyCurrentUser, "SOFTWARE", kKeyAllAccess, key), 0);
    EXPECT_EQ(key, kNullKey);
    EXPECT_EQ(readCurLang(*registry), "");
}

// Runs `work` in a child process and returns its id.
template <typename Work> pid_t spawn(Work work) {
    const pid_t pid = ::fork();
    if (pid == 0) {
        work();
        ::_exit(0);
    }
    return pid;
}

TEST_F(LinuxStoreTest, KilledWriterLeavesTheOldOrTheNewStore) {
    // A store of a few hundred kilobytes makes every write take long enough to be interrupted.
    {
        auto registry = createRegistry();
        RegKey key = kNullKey;
        ASSERT_EQ(registry->CreateKey(kHkeyCurrentUser, "SOFTWARE\\Talvek\\Kelvora 2008\\Bulk", kKeyAllAccess, key), 0);
        for (int i = 0; i < 20; ++i)
            ASSERT_EQ(registry->SetValue(key, "v" + std::to_string(i), REG_BINARY,
                                         std::vector<std::uint8_t>(8000, static_cast<std::uint8_t>(i))),
                      0);
        registry->CloseKey(key);
        ASSERT_TRUE(saveCurLang(*registry, "start"));
    }
    std::mt19937 random(12345);
    for (int round = 0; round < 30; ++round) {
        const pid_t writer = spawn([] {
            auto registry = createRegistry();
            for (int i = 0;; ++i)
                saveCurLang(*registry, "w" + std::to_string(i));
        });
        ASSERT_GT(writer, 0);
        std::this_thread::sleep_for(std::chrono::microseconds(std::uniform_int_distribution<>(0, 20000)(random)));
        ::kill(writer, SIGKILL);
        ::waitpid(writer, nullptr, 0);

        const RegFileContents contents = readRegFile(readFile(store_));
        ASSERT_TRUE(contents.clean) << "round " << round;
        const RegistryValue* lang = contents.tree.findValue(kSettings, "curLang");
        ASSERT_NE(lang, nullptr);
        EXPECT_TRUE(lang->data.front() == 'w' || lang->data.front() == 's');
        EXPECT_EQ(contents.tree.findValue("HKEY_CURRENT_USER\\SOFTWARE\\Talvek\\Kelvora 2008\\Bulk", "v19")->data,
                  std::vector<std::uint8_t>(8000, 19));
    }
    EXPECT_TRUE(filesBeside(store_, "kelvora-2008.reg.damaged").empty());
    // A write after the kills still works: the lock died with its holder.
    auto registry = createRegistry();
    EXPECT_TRUE(saveCurLang(*registry, "after"));
    EXPECT_EQ(readCurLang(*registry), "after");
}

TEST_F(LinuxStoreTest, ConcurrentWritersLoseNoWrite) {
    constexpr int kWrites = 40;
    std::vector<pid_t> writers;
    for (const char* prefix : {"a", "b", "c"}) {
        writers.push_back(spawn([prefix] {
            auto registry = createRegistry();
            for (int i = 0; i < kWrites; ++i)
                if (!SaveRegSetting(*registry, kAppTitle, kSettingsSection, prefix + std::to_string(i), "x"))
                    ::_exit(1);
        }));
    }
    for (pid_t writer : writers) {
        int status = 0;
        ASSERT_EQ(::waitpid(writer, &status, 0), writer);
        EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    }
    auto registry = createRegistry();
    for (const char* prefix : {"a", "b", "c"})
        for (int i = 0; i < kWrites; ++i)
            EXPECT_EQ(GetRegSetting(*registry, kAppTitle, kSettingsSection, prefix + std::to_string(i), "lost"), "x")
                << prefix << i;
}

} // namespace
} // namespace kelvora
