#include <gtest/gtest.h>

#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <random>
#include <sstream>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

#include "platform/RegFileFormat.h"
#include "platform/Registry.h"
#include "platform/linux/LinuxStorePaths.h"
#include "settings/LanguageSetting.h"

namespace kelvora {
namespace {

const std::string kSettings = "HKEY_CURRENT_USER\\SOFTWARE\\Talvek\\Kelvora 2008\\Settings";
const std::string kBulk = "HKEY_CURRENT_USER\\SOFTWARE\\Talvek\\Kelvora 2008\\Bulk";
constexpr int kRounds = 500;
constexpr int kBulkValues = 6;

std::string readFile(const std::string& path) {
    std::ifstream file(path, std::ios::binary);
    std::ostringstream bytes;
    bytes << file.rdbuf();
    return bytes.str();
}

std::vector<std::uint8_t> bulkData(int index) {
    return std::vector<std::uint8_t>(2000, static_cast<std::uint8_t>(index));
}

std::string valueOfRound(int round, int save) {
    return "r" + std::to_string(round) + "-" + std::to_string(save);
}

// A folder in memory when the system has one: a killed process leaves the page cache intact, so flushing to disk
// only slows the saves down here, and short saves let the kills land in every step of a save.
class MemoryTempDir {
public:
    MemoryTempDir() {
        const std::filesystem::path base = std::filesystem::is_directory("/dev/shm")
                                               ? std::filesystem::path("/dev/shm")
                                               : std::filesystem::temp_directory_path();
        std::string pattern = (base / "kelvora-crash-XXXXXX").string();
        if (::mkdtemp(pattern.data()) == nullptr)
            throw std::runtime_error("cannot create a temporary folder");
        path_ = pattern;
    }
    ~MemoryTempDir() {
        std::error_code ignored;
        std::filesystem::remove_all(path_, ignored);
    }
    MemoryTempDir(const MemoryTempDir&) = delete;
    MemoryTempDir& operator=(const MemoryTempDir&) = delete;
    const std::string& path() const { return path_; }

private:
    std::string path_;
};

// A child that saves curLang again and again, reporting the number of every save that has completed.
pid_t startWriter(const std::string& store, int round, int& reports) {
    int pipeEnds[2];
    if (::pipe(pipeEnds) != 0)
        return -1;
    const pid_t pid = ::fork();
    if (pid == 0) {
        ::close(pipeEnds[0]);
        auto registry = createFileRegistry(store);
        for (int save = 1;; ++save) {
            if (!saveCurLang(*registry, valueOfRound(round, save)))
                ::_exit(1);
            if (::write(pipeEnds[1], &save, sizeof save) != sizeof save)
                ::_exit(1);
        }
    }
    ::close(pipeEnds[1]);
    reports = pipeEnds[0];
    return pid;
}

// The number of the last save the writer reported before it died; 0 when none completed.
int lastReportedSave(int reports) {
    int last = 0;
    int save = 0;
    while (::read(reports, &save, sizeof save) == sizeof save)
        last = save;
    ::close(reports);
    return last;
}

std::string storedCurLang(const RegFileContents& contents) {
    const RegistryValue* value = contents.tree.findValue(kSettings, kCurLangValue);
    if (value == nullptr || value->data.empty())
        return {};
    return std::string(value->data.begin(), value->data.end() - 1);
}

class StoreCrashSafety : public ::testing::Test {
protected:
    void SetUp() override {
        store_ = dir_.path() + "/Talvek/kelvora-2008.reg";
        // A store of some size, so that a save takes long enough to be cut in the middle.
        auto registry = createFileRegistry(store_);
        RegKey key = kNullKey;
        ASSERT_EQ(registry->CreateKey(kHkeyCurrentUser, "SOFTWARE\\Talvek\\Kelvora 2008\\Bulk", kKeyAllAccess, key), 0);
        for (int i = 0; i < kBulkValues; ++i)
            ASSERT_EQ(registry->SetValue(key, "v" + std::to_string(i), REG_BINARY, bulkData(i)), 0);
        registry->CloseKey(key);
        ASSERT_TRUE(saveCurLang(*registry, "start"));
    }

    // How long one save takes here, so that the kills spread over a few saves whatever the machine.
    std::chrono::microseconds timeOfOneSave() {
        auto registry = createFileRegistry(store_);
        const auto begin = std::chrono::steady_clock::now();
        for (int i = 0; i < 5; ++i)
            saveCurLang(*registry, "start");
        return std::chrono::duration_cast<std::chrono::microseconds>(std::chrono::steady_clock::now() - begin) / 5;
    }

    MemoryTempDir dir_;
    std::string store_;
};

TEST_F(StoreCrashSafety, WriterKilledAtRandomMomentsLeavesTheOldOrTheNewValue) {
    const auto saveTime = timeOfOneSave();
    std::mt19937 random(20081);
    std::uniform_int_distribution<long> delay(0, 3 * saveTime.count() + 500);
    std::string previous = "start";
    int cutInTheMiddle = 0;

    for (int round = 1; round <= kRounds; ++round) {
        int reports = -1;
        const pid_t writer = startWriter(store_, round, reports);
        ASSERT_GT(writer, 0);
        std::this_thread::sleep_for(std::chrono::microseconds(delay(random)));
        ASSERT_EQ(::kill(writer, SIGKILL), 0);
        int status = 0;
        ASSERT_EQ(::waitpid(writer, &status, 0), writer);
        ASSERT_TRUE(WIFSIGNALED(status)) << "round " << round << ": the writer failed a save";
        const int last = lastReportedSave(reports);
        if (last > 0 && std::filesystem::exists(store_ + ".tmp"))
            ++cutInTheMiddle;

        const std::string bytes = readFile(store_);
        ASSERT_FALSE(bytes.empty()) << "round " << round;
        const RegFileContents contents = readRegFile(bytes);
        ASSERT_TRUE(contents.clean) << "round " << round << ":\n" << bytes.substr(0, 300);
        const std::string old = last == 0 ? previous : valueOfRound(round, last);
        const std::string next = valueOfRound(round, last + 1);
        const std::string found = storedCurLang(contents);
        ASSERT_TRUE(found == old || found == next)
            << "round " << round << ": found \"" << found << "\", expected \"" << old << "\" or \"" << next << "\"";
        for (int i = 0; i < kBulkValues; ++i) {
            const RegistryValue* bulk = contents.tree.findValue(kBulk, "v" + std::to_string(i));
            ASSERT_TRUE(bulk != nullptr && bulk->data == bulkData(i)) << "round " << round << ", value v" << i;
        }
        previous = found;
    }
    std::printf("%d kills, %d of them in the middle of writing the new file (one save: %lld us)\n", kRounds,
                cutInTheMiddle, static_cast<long long>(saveTime.count()));

    // Nothing was ever set aside as damaged, and the lock died with its holders.
    for (const auto& entry : std::filesystem::directory_iterator(dir_.path() + "/Talvek"))
        EXPECT_EQ(entry.path().filename().string().find(".damaged"), std::string::npos) << entry.path();
    auto registry = createFileRegistry(store_);
    ASSERT_TRUE(saveCurLang(*registry, "after"));
    EXPECT_EQ(readCurLang(*registry), "after");
}

} // namespace
} // namespace kelvora
