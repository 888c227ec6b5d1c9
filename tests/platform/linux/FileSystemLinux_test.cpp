#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "platform/FileSystem.h"
#include "support/TestPaths.h"

namespace kelvora {
namespace {

using Lines = std::vector<std::string>;

TEST(LinuxFileSystem, ResolvesAndReadsRealFiles) {
    test::TempDir dir;
    std::filesystem::create_directories(dir.path() + "/languages/Polish");
    std::ofstream(dir.path() + "/languages/Polish/Polish.txt", std::ios::binary) << "100 a\r\n101 b\n\r";
    const auto files = createFileSystem();

    const std::string resolved = files->resolvePath(dir.path() + "\\LANGUAGES\\polish\\polish.TXT");
    EXPECT_EQ(resolved, dir.path() + "/languages/Polish/Polish.txt");
    EXPECT_TRUE(files->isRegularFile(resolved));
    EXPECT_FALSE(files->isRegularFile(dir.path() + "/languages"));
    EXPECT_FALSE(files->isRegularFile(dir.path() + "/missing.txt"));
    EXPECT_EQ(files->readTextLines(resolved), (Lines{"100 a", "101 b\n"}));
    EXPECT_FALSE(files->readTextLines(dir.path() + "/languages").has_value());
    EXPECT_FALSE(files->readTextLines(dir.path() + "/missing.txt").has_value());
}

TEST(LinuxFileSystem, ProgramFolderHoldsTheExecutable) {
    const auto files = createFileSystem();
    EXPECT_EQ(files->programFolder(), std::filesystem::canonical("/proc/self/exe").parent_path().string());
}

} // namespace
} // namespace kelvora
