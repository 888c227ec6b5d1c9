#include <gtest/gtest.h>

#include <fcntl.h>
#include <sched.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdint>
#include <cstdlib>
#include <fstream>

#include "memory/MemoryStatus.h"
#include "platform/linux/MemoryInfoLinux.h"
#include "support/TestPaths.h"

namespace kelvora {
namespace {

const char* const kMeminfo = "MemTotal:       67108864 kB\n"
                             "MemFree:         1000000 kB\n"
                             "MemAvailable:   33554432 kB\n"
                             "Buffers:          123456 kB\n"
                             "SwapTotal:       2097152 kB\n"
                             "SwapFree:        1048576 kB\n"
                             "HugePages_Total:       0\n";

void writeFile(const std::string& path, const std::string& text) {
    std::ofstream(path) << text;
}

TEST(ParseMeminfo, ReadsTotalAvailableAndFreeSwapInBytes) {
    auto figures = parseMeminfo(kMeminfo);
    ASSERT_TRUE(figures);
    EXPECT_EQ(figures->totalBytes, 67108864ull * 1024);
    EXPECT_EQ(figures->availBytes, 33554432ull * 1024);
    EXPECT_EQ(figures->swapFreeBytes, 1048576ull * 1024);
}

TEST(ParseMeminfo, IncompleteOrBrokenTextIsNoSample) {
    EXPECT_FALSE(parseMeminfo(""));
    EXPECT_FALSE(parseMeminfo("MemTotal: 1000 kB\nMemFree: 10 kB\n"));
    EXPECT_FALSE(parseMeminfo("MemTotal: lots kB\nMemAvailable: 10 kB\n"));
    EXPECT_FALSE(parseMeminfo("MemTotal: 99999999999999999999 kB\nMemAvailable: 10 kB\n"));
    auto noSwap = parseMeminfo("MemTotal: 1000 kB\nMemAvailable: 10 kB");
    ASSERT_TRUE(noSwap);
    EXPECT_EQ(noSwap->swapFreeBytes, 0u);
}

TEST(MemoryInfoLinux, ReadsMeminfoBelowTheGivenProcRoot) {
    test::TempDir proc;
    writeFile(proc.path() + "/meminfo", kMeminfo);
    MemoryInfoLinux info(proc.path());
    auto status = GetMemoryStatus(info);
    ASSERT_TRUE(status);
    EXPECT_EQ(status->totalMB, 68719); // a 64 GiB machine
    EXPECT_EQ(status->availMB, 34360);

    MemoryInfoLinux missing(proc.path() + "/nothing");
    EXPECT_FALSE(missing.GlobalMemoryStatus());
}

TEST(MemoryInfoLinux, EnvironmentVariableNamesAFixtureFile) {
    test::TempDir dir;
    const std::string file = dir.path() + "/fixture";
    writeFile(file, "MemTotal: 51200 kB\nMemAvailable: 25600 kB\n");
    ::setenv("KELVORA_MEMINFO", file.c_str(), 1);
    auto info = createMemoryInfo();
    ::unsetenv("KELVORA_MEMINFO");
    auto figures = info->GlobalMemoryStatus();
    ASSERT_TRUE(figures);
    EXPECT_EQ(figures->totalBytes, 51200u * 1024);
}

TEST(MemoryInfoLinux, RealMachineHasMemory) {
    auto figures = MemoryInfoLinux().GlobalMemoryStatus();
    ASSERT_TRUE(figures);
    EXPECT_GT(figures->totalBytes, 0u);
    EXPECT_LE(figures->availBytes, figures->totalBytes);
}

TEST(BootTickClock, CountsTheTimeTheMachineSlept) {
    // A child joins a time namespace whose boot clock is a day ahead of the monotonic one, as after a day asleep.
    const pid_t child = ::fork();
    if (child == 0) {
        const int offsets = ::unshare(CLONE_NEWTIME) == 0 ? ::open("/proc/self/timens_offsets", O_WRONLY) : -1;
        if (offsets < 0 || ::write(offsets, "boottime 86400 0", 16) != 16 ||
            ::setns(::open("/proc/self/ns/time_for_children", O_RDONLY), CLONE_NEWTIME) != 0)
            ::_exit(77);
        timespec monotonic{};
        ::clock_gettime(CLOCK_MONOTONIC, &monotonic);
        const auto monotonicMs = static_cast<std::uint32_t>(monotonic.tv_sec * 1000 + monotonic.tv_nsec / 1000000);
        ::_exit((BootTickClock().GetTickCount() - monotonicMs) / 1000 == 86400 ? 0 : 1);
    }
    int status = 0;
    ::waitpid(child, &status, 0);
    if (WIFEXITED(status) && WEXITSTATUS(status) == 77)
        GTEST_SKIP() << "no time namespace may be made here";
    EXPECT_EQ(status, 0);
}

TEST(HugePageBlockAllocator, BlocksAreAlignedAndFullOfSpaces) {
    HugePageBlockAllocator allocator;
    char16_t* blocks[2] = {allocator.claimBlock(), allocator.claimBlock()};
    for (char16_t* block : blocks) {
        ASSERT_NE(block, nullptr);
        EXPECT_EQ(reinterpret_cast<std::uintptr_t>(block) % HugePageBlockAllocator::kMappingBytes, 0u);
        for (std::size_t i : {std::size_t{0}, std::size_t{4095}, std::size_t{4096}, BlockAllocator::kBlockChars - 1})
            EXPECT_EQ(block[i], u' ') << i;
    }
    EXPECT_NE(blocks[0], blocks[1]);
    for (char16_t* block : blocks)
        allocator.freeBlock(block);
}

} // namespace
} // namespace kelvora
