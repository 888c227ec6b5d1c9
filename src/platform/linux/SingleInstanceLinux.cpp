#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cctype>
#include <cerrno>
#include <cstdlib>
#include <utility>
#include <vector>

#include "platform/SingleInstance.h"
#include "platform/linux/LinuxStorePaths.h"

namespace kelvora {

namespace {

bool isFolder(const char* path) {
    struct stat info {};
    return path != nullptr && path[0] == '/' && ::stat(path, &info) == 0 && S_ISDIR(info.st_mode);
}

// "Kelvora 2008" becomes "kelvora-2008".
std::string fileNameOf(const std::string& name) {
    std::string slug;
    for (char c : name) {
        const auto byte = static_cast<unsigned char>(c);
        if (std::isalnum(byte))
            slug += static_cast<char>(std::tolower(byte));
        else if (!slug.empty() && slug.back() != '-')
            slug += '-';
    }
    while (!slug.empty() && slug.back() == '-')
        slug.pop_back();
    return slug.empty() ? "instance" : slug;
}

// A folder in which no other user can make, replace or remove a file: a real folder, not a link, owned by this user
// and writable by no one else. Its descriptor, or -1.
int openPrivateFolder(const std::string& path) {
    const int fd = ::open(path.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC | O_NOFOLLOW);
    struct stat info {};
    if (fd >= 0 && ::fstat(fd, &info) == 0 && S_ISDIR(info.st_mode) && info.st_uid == ::getuid() &&
        (info.st_mode & (S_IWGRP | S_IWOTH)) == 0)
        return fd;
    if (fd >= 0)
        ::close(fd);
    return -1;
}

// Where the lock file may live, best first, each with whether it may be made. The temp folder is shared with other
// users, so there the file lives in a folder of this user's own; if someone else made that first, the settings
// folder serves instead.
std::vector<std::pair<std::string, bool>> lockFolders(const std::string& slug) {
    std::vector<std::pair<std::string, bool>> folders;
    if (const char* runtime = std::getenv("XDG_RUNTIME_DIR"); isFolder(runtime))
        folders.emplace_back(runtime, false);
    const char* temp = std::getenv("TMPDIR");
    folders.emplace_back(std::string(isFolder(temp) ? temp : "/tmp") + "/" + slug + "-" + std::to_string(::getuid()),
                         true);
    folders.emplace_back(configHome() + "/Talvek", true);
    return folders;
}

// Opens (making it if missing) the lock file of token `name` in the first private folder; -1 when there is none.
int openLockFile(const std::string& name, std::string* path) {
    const std::string slug = fileNameOf(name);
    const std::string file = slug + ".lock";
    for (const auto& [folder, make] : lockFolders(slug)) {
        if (make)
            ::mkdir(folder.c_str(), 0700);
        const int dir = openPrivateFolder(folder);
        if (dir < 0)
            continue;
        // Close-on-exec, so that programs started from here (a browser) never inherit the token.
        const int fd = ::openat(dir, file.c_str(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0600);
        ::close(dir);
        struct stat info {};
        if (fd >= 0 && ::fstat(fd, &info) == 0 && S_ISREG(info.st_mode) && info.st_uid == ::getuid()) {
            if (path != nullptr)
                path->assign(folder).append("/").append(file);
            return fd;
        }
        if (fd >= 0)
            ::close(fd);
    }
    return -1;
}

// The token is an exclusive lock on a file: the kernel drops it when the process ends in any way, so a killed
// instance never leaves a stale token behind, and testing and claiming are one step.
class FlockSingleInstance : public SingleInstance {
public:
    bool claim(const std::string& name) override {
        const int fd = openLockFile(name, nullptr);
        if (fd < 0)
            return true; // without a private lock file there is no way to tell; start rather than refuse
        while (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
            if (errno == EINTR)
                continue;
            const bool heldElsewhere = errno == EWOULDBLOCK;
            ::close(fd);
            return !heldElsewhere;
        }
        // The descriptor stays open on purpose until the process ends.
        return true;
    }
};

} // namespace

std::string instanceLockPath(const std::string& name) {
    std::string path;
    if (const int fd = openLockFile(name, &path); fd >= 0)
        ::close(fd);
    return path;
}

std::unique_ptr<SingleInstance> createSingleInstance() {
    return std::make_unique<FlockSingleInstance>();
}

} // namespace kelvora
