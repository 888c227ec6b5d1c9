#include <gtest/gtest.h>

#include <fcntl.h>
#include <signal.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <optional>
#include <string>
#include <vector>

#include "platform/SingleInstance.h"
#include "platform/linux/LinuxStorePaths.h"
#include "support/TestPaths.h"

namespace kelvora {
namespace {

constexpr const char* kTitle = "Kelvora 2008";

class ScopedEnv {
public:
    ScopedEnv(const char* name, const char* value) : name_(name) {
        if (const char* old = std::getenv(name))
            saved_ = old;
        if (value != nullptr)
            ::setenv(name, value, 1);
        else
            ::unsetenv(name);
    }
    ~ScopedEnv() {
        if (saved_)
            ::setenv(name_, saved_->c_str(), 1);
        else
            ::unsetenv(name_);
    }

private:
    const char* name_;
    std::optional<std::string> saved_;
};

// A child that claims the token, reports the result (and the id of a program it started) and waits to be killed.
struct Holder {
    pid_t pid = -1;
    bool claimed = false;
    pid_t grandchild = -1;
};

Holder startHolder(bool startProgram) {
    int report[2];
    if (::pipe(report) != 0)
        return {};
    const pid_t pid = ::fork();
    if (pid == 0) {
        ::close(report[0]);
        const bool claimed = createSingleInstance()->claim(kTitle);
        pid_t grandchild = -1;
        if (claimed && startProgram) {
            grandchild = ::fork();
            if (grandchild == 0) {
                ::execl("/bin/sleep", "sleep", "60", static_cast<char*>(nullptr));
                ::_exit(127);
            }
        }
        const char result = claimed ? 'y' : 'n';
        ssize_t ignored = ::write(report[1], &result, 1);
        ignored = ::write(report[1], &grandchild, sizeof grandchild);
        (void)ignored;
        for (;;)
            ::pause();
    }
    ::close(report[1]);
    Holder holder;
    holder.pid = pid;
    char result = 0;
    if (::read(report[0], &result, 1) == 1 && ::read(report[0], &holder.grandchild, sizeof holder.grandchild) > 0)
        holder.claimed = result == 'y';
    ::close(report[0]);
    return holder;
}

void stop(pid_t pid) {
    if (pid <= 0)
        return;
    ::kill(pid, SIGKILL);
    ::waitpid(pid, nullptr, 0);
}

// Whether a fresh process can claim the token (it exits at once, releasing it again).
bool otherProcessCanClaim() {
    const pid_t pid = ::fork();
    if (pid == 0)
        ::_exit(createSingleInstance()->claim(kTitle) ? 0 : 1);
    int status = 0;
    ::waitpid(pid, &status, 0);
    return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

class SingleInstanceTest : public ::testing::Test {
protected:
    test::TempDir runtime_;
    ScopedEnv env_{"XDG_RUNTIME_DIR", runtime_.path().c_str()};
};

TEST_F(SingleInstanceTest, LockFileIsNamedAfterTheTitle) {
    EXPECT_EQ(instanceLockPath(kTitle), runtime_.path() + "/kelvora-2008.lock");
    test::TempDir temp;
    ScopedEnv noRuntime("XDG_RUNTIME_DIR", nullptr);
    ScopedEnv tmpdir("TMPDIR", temp.path().c_str());
    const std::string own = temp.path() + "/kelvora-2008-" + std::to_string(::getuid());
    EXPECT_EQ(instanceLockPath(kTitle), own + "/kelvora-2008.lock");
    struct stat folder {};
    EXPECT_TRUE(::stat(own.c_str(), &folder) == 0 && (folder.st_mode & 0777) == 0700);
}

TEST_F(SingleInstanceTest, WhatAnotherUserMadeInTheTempFolderIsNeverUsed) {
    if (::getuid() != 0)
        GTEST_SKIP() << "only root can make files that belong to another user";
    test::TempDir temp, config;
    ScopedEnv noRuntime("XDG_RUNTIME_DIR", nullptr), tmpdir("TMPDIR", temp.path().c_str()),
        configHome("XDG_CONFIG_HOME", config.path().c_str());
    // Another user came first: made this user's lock file of old and folder, with a lock file in it, and holds both.
    const std::string taken = temp.path() + "/kelvora-2008-" + std::to_string(::getuid());
    ASSERT_EQ(::mkdir(taken.c_str(), 0777), 0);
    std::vector<int> held;
    for (const std::string& path : {taken + "/kelvora-2008.lock", taken + ".lock"}) {
        held.push_back(::open(path.c_str(), O_RDWR | O_CREAT, 0600));
        ASSERT_EQ(::flock(held.back(), LOCK_EX) | ::fchown(held.back(), 65534, 65534), 0);
    }
    ASSERT_EQ(::chown(taken.c_str(), 65534, 65534) | ::chmod(taken.c_str(), 0777), 0);

    EXPECT_EQ(instanceLockPath(kTitle), config.path() + "/Talvek/kelvora-2008.lock");
    EXPECT_TRUE(otherProcessCanClaim());
    for (int fd : held)
        ::close(fd);
}

TEST_F(SingleInstanceTest, SecondClaimFailsUntilTheHolderIsKilled) {
    const Holder holder = startHolder(false);
    ASSERT_TRUE(holder.claimed);
    EXPECT_FALSE(otherProcessCanClaim());
    EXPECT_FALSE(otherProcessCanClaim());
    stop(holder.pid);
    EXPECT_TRUE(otherProcessCanClaim());
}

// Whether a fresh process can claim the token within `seconds`. The started program drops its copy of the
// descriptor only as its exec completes, a moment after it already shows its new name.
bool otherProcessCanClaimWithin(int seconds) {
    for (int i = 0; i < seconds * 100; ++i) {
        if (otherProcessCanClaim())
            return true;
        ::usleep(10000);
    }
    return false;
}

TEST_F(SingleInstanceTest, ProgramsStartedByTheHolderDoNotKeepTheToken) {
    const Holder holder = startHolder(true);
    ASSERT_TRUE(holder.claimed);
    ASSERT_GT(holder.grandchild, 0);
    stop(holder.pid);
    // The program sleeps for a minute: had it kept the descriptor, the token would stay taken all that time.
    EXPECT_TRUE(otherProcessCanClaimWithin(5));
    stop(holder.grandchild);
}

TEST_F(SingleInstanceTest, ClaimHeldByThisProcessRefusesOthers) {
    auto token = createSingleInstance();
    ASSERT_TRUE(token->claim(kTitle));
    token.reset(); // the token outlives its object
    EXPECT_FALSE(otherProcessCanClaim());
    EXPECT_FALSE(createSingleInstance()->claim(kTitle));
}

} // namespace
} // namespace kelvora
