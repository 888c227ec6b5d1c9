#include <gtest/gtest.h>

#include <fcntl.h>
#include <sched.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdint>
#include <cstdlib>
#include <filesystem>
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

// Swap on zram, a RAM disk, a partition and a file; the process in a v1 group under a limited one and a v2 scope.
TEST(MemoryInfoLinux, CountsDiskSwapOnlyReadsPressureAndTheTightestCgroupLimit) {
    test::TempDir root;
    auto put = [&](const std::string& path, const std::string& text) {
        std::filesystem::create_directories(std::filesystem::path(root.path() + path).parent_path());
        writeFile(root.path() + path, text);
    };
    put("/proc/meminfo", kMeminfo);
    put("/proc/swaps", "Filename\tType\tSize\tUsed\tPriority\n/dev/zram0 partition 4000000 1000 100\n"
                       "/dev/ram0 partition 1000 0 5\n/dev/sda2 partition 2000000 500000 -2\n"
                       "/swap\\040file file 100000 0 -3\n");
    put("/proc/pressure/memory", "some avg10=12.50 avg60=3.00 avg300=1.00 total=987654\n"
                                 "full avg10=1.00 avg60=0.00 avg300=0.00 total=1234\n");
    put("/proc/self/cgroup", "12:cpu,cpuacct:/\n4:memory:/ctr/box/app\n0::/user.slice/app.scope\n");
    put("/proc/self/mountinfo", "31 23 0:28 / /sys/fs/cgroup rw - tmpfs tmpfs rw\n"
                                "35 31 0:32 /ctr /sys/fs/cgroup/memory rw - cgroup cgroup rw,memory\n"
                                "41 31 0:38 / /sys/fs/cgroup/unified rw - cgroup2 cgroup2 rw\n");
    const std::string v1 = "/sys/fs/cgroup/memory/", v2 = "/sys/fs/cgroup/unified/user.slice/";
    for (const auto& [path, bytes] : std::initializer_list<std::pair<std::string, const char*>>{
             {v1 + "memory.limit_in_bytes", "9223372036854771712"},
             {v1 + "box/memory.limit_in_bytes", "1073741824"},
             {v1 + "box/memory.usage_in_bytes", "943718400"},
             {v1 + "box/memory.stat", "total_inactive_file 104857600"},
             {v1 + "box/app/memory.usage_in_bytes", "838860800"},
             {v1 + "box/app/memory.limit_in_bytes", "9223372036854771712"},
             {v2 + "memory.max", "max"},
             {v2 + "memory.high", "2147483648"},
             {v2 + "memory.current", "1000"},
             {v2 + "app.scope/memory.max", "536870912"},
             {v2 + "app.scope/memory.current", "104857600"}})
        put(path, std::string(bytes) + "\n");
    MemoryInfoLinux info(root.path() + "/proc", root.path());
    auto figures = info.GlobalMemoryStatus();
    ASSERT_TRUE(figures);
    EXPECT_EQ(figures->swapFreeBytes, (1500000u + 100000u) * 1024u); // neither zram nor the RAM disk
    auto pressure = info.memoryPressure();
    ASSERT_TRUE(pressure);
    EXPECT_DOUBLE_EQ(pressure->someAvg10, 12.5);
    EXPECT_EQ(pressure->someTotalUs, 987654u);

    auto limit = [&] {
        std::optional<MemoryLimit> found = info.ownMemoryLimit();
        return found ? std::pair{found->limitBytes, found->usedBytes} : std::pair<std::uint64_t, std::uint64_t>{};
    };
    EXPECT_EQ(limit(), std::pair(1073741824ul, 838860800ul)); // 224 MiB left in the v1 parent, 412 MiB in the v2 scope
    put(v1 + "box/memory.limit_in_bytes", "max\n");
    EXPECT_EQ(limit(), std::pair(536870912ul, 104857600ul));
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
