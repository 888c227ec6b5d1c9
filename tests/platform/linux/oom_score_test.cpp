#include <gtest/gtest.h>
#include <sys/stat.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <thread>

#include "platform/Shell.h"
#include "platform/linux/MemoryInfoLinux.h"
#include "support/TestPaths.h"
#include "update/transfer/linux/HelperTransfer.h"

namespace kelvora {
namespace {

std::string readFile(const std::string& path) {
    std::ifstream in(path);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

// A stand-in for a child program: it notes the oom_score_adj it started with in `note`.
std::string noteTaker(const std::string& path, const std::string& note) {
    std::ofstream(path) << "#!/bin/sh\ncat /proc/self/oom_score_adj > " << note << ".part && mv " << note << ".part "
                        << note << "\n";
    ::chmod(path.c_str(), 0755);
    return path;
}

std::string waitForNote(const std::string& note) {
    for (int i = 0; i < 500 && !std::filesystem::exists(note); ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    return readFile(note);
}

// A link opened or an update checked during a release starts its child at the program's old value, not the 1000
// the release is under; the program itself stays at 1000 until the release ends.
TEST(OomScoreOfChildren, ChildrenStartedDuringAReleaseGetTheValueFromBefore) {
    test::TempDir dir;
    MemoryInfoLinux memory;
    const auto before = memory.oomScoreAdjust();
    ASSERT_TRUE(before);
    ASSERT_TRUE(memory.setOomScoreAdjust(1000)); // as a release does

    HelperTransfer helper(noteTaker(dir.path() + "/helper", dir.path() + "/helper.note"));
    helper.Execute("http://127.0.0.1:9/", "GET");
    EXPECT_EQ(waitForNote(dir.path() + "/helper.note"), std::to_string(*before) + "\n");

    std::filesystem::create_directories(dir.path() + "/bin");
    noteTaker(dir.path() + "/bin/xdg-open", dir.path() + "/opener.note");
    const std::string path = std::getenv("PATH");
    ::setenv("PATH", (dir.path() + "/bin:" + path).c_str(), 1);
    EXPECT_GT(createShell()->ShellOpen("https://talvek.example/"), 32);
    ::setenv("PATH", path.c_str(), 1);
    EXPECT_EQ(waitForNote(dir.path() + "/opener.note"), std::to_string(*before) + "\n");

    EXPECT_EQ(memory.oomScoreAdjust(), 1000);
    EXPECT_TRUE(memory.setOomScoreAdjust(*before)); // the release's end
    while (helper.StillExecuting())
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
}

} // namespace
} // namespace kelvora
