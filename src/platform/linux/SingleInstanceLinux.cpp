#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cctype>
#include <cerrno>
#include <cstdlib>

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

// The token is an exclusive lock on a file: the kernel drops it when the process ends in any way, so a killed
// instance never leaves a stale token behind, and testing and claiming are one step.
class FlockSingleInstance : public SingleInstance {
public:
    bool claim(const std::string& name) override {
        const std::string path = instanceLockPath(name);
        // Close-on-exec, so that programs started from here (a browser) never inherit the token.
        const int fd = ::open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0600);
        if (fd < 0)
            return true; // without a lock file there is no way to tell; start rather than refuse
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
    if (const char* runtime = std::getenv("XDG_RUNTIME_DIR"); isFolder(runtime))
        return std::string(runtime) + "/" + fileNameOf(name) + ".lock";
    const char* temp = std::getenv("TMPDIR");
    const std::string folder = isFolder(temp) ? temp : "/tmp";
    return folder + "/" + fileNameOf(name) + "-" + std::to_string(::getuid()) + ".lock";
}

std::unique_ptr<SingleInstance> createSingleInstance() {
    return std::make_unique<FlockSingleInstance>();
}

} // namespace kelvora
