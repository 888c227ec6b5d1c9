#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <chrono>
#include <fstream>
#include <sstream>
#include <thread>

#include "platform/Shell.h"
#include "support/TestPaths.h"

namespace kelvora {
namespace {

using namespace std::chrono_literals;

std::string readFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

bool waitUntil(const std::function<bool()>& done) {
    for (auto deadline = std::chrono::steady_clock::now() + 10s; std::chrono::steady_clock::now() < deadline;
         std::this_thread::sleep_for(20ms)) {
        if (done())
            return true;
    }
    return false;
}

// PATH set to one folder for the duration of a test, restored afterwards.
class ScopedPath {
public:
    explicit ScopedPath(const std::string& folder) : saved_(getenv("PATH") ? getenv("PATH") : "") {
        setenv("PATH", folder.c_str(), 1);
    }
    ~ScopedPath() { setenv("PATH", saved_.c_str(), 1); }

private:
    std::string saved_;
};

class ShellOpenTest : public ::testing::Test {
protected:
    // An opener that records its process id, its arguments one per line, and whether it inherited `heldFd`.
    void writeOpener(int heldFd) {
        const std::string script = dir.path() + "/xdg-open";
        std::ofstream(script) << "#!/bin/sh\n"
                              << "log='" << log << "'\n"
                              << "{ echo \"$$\"; echo \"$#\"; for a in \"$@\"; do printf '%s\\n' \"$a\"; done;\n"
                              << "  if [ -e /proc/$$/fd/" << heldFd << " ]; then echo inherited; else echo clean; fi;"
                              << " } > \"$log.part\"\n"
                              << "mv \"$log.part\" \"$log\"\n";
        chmod(script.c_str(), 0755);
    }

    test::TempDir dir;
    std::string log = dir.path() + "/opened.txt";
};

TEST_F(ShellOpenTest, StartsTheOpenerWithTheTargetAsOneUntouchedArgument) {
    const int held = open("/dev/null", O_RDONLY); // deliberately inheritable
    writeOpener(held);
    ScopedPath path(dir.path() + ":/usr/bin:/bin");
    const std::string target = "/tmp/my docs/$(touch pwned); rm -rf ~ & echo `id` | cat > x 'q' \"d\" *.txt";

    EXPECT_EQ(createShell()->ShellOpen("--help"), 0);
    EXPECT_GT(createShell()->ShellOpen(target), 32);
    ASSERT_TRUE(waitUntil([&] { return access(log.c_str(), F_OK) == 0; }));
    close(held);

    std::istringstream lines(readFile(log));
    std::string pid, count, argument, inherited;
    std::getline(lines, pid);
    std::getline(lines, count);
    std::getline(lines, argument);
    std::getline(lines, inherited);
    EXPECT_EQ(count, "1");
    EXPECT_EQ(argument, target);
    EXPECT_EQ(inherited, "clean");
    EXPECT_NE(access("pwned", F_OK), 0);
    // Nobody is left behind as a zombie once the opener has ended.
    EXPECT_TRUE(waitUntil([&] { return kill(std::stoi(pid), 0) != 0; }));
}

TEST_F(ShellOpenTest, ReportsZeroWhenNoOpenerCanBeStarted) {
    ScopedPath path(dir.path());
    EXPECT_EQ(createShell()->ShellOpen("http://vendor.test/en"), 0);
}

TEST(ComputerNameTest, IsTheHostName) {
    char host[256] = {};
    ASSERT_EQ(gethostname(host, sizeof host - 1), 0);
    EXPECT_EQ(createShell()->GetComputerName(), host);
    EXPECT_FALSE(createShell()->GetComputerName().empty());
}

} // namespace
} // namespace kelvora
