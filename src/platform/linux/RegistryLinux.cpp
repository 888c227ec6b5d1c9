#include <fcntl.h>
#include <pwd.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <ctime>
#include <optional>

#include "platform/RegFileFormat.h"
#include "platform/TreeRegistry.h"
#include "platform/linux/LinuxStorePaths.h"

namespace kelvora {

namespace {

long errorFromErrno(int error) {
    return (error == EACCES || error == EPERM || error == EROFS) ? kErrorAccessDenied : kErrorCantWrite;
}

// A descriptor closed when it goes out of scope (closing the lock file releases its lock).
class Descriptor {
public:
    explicit Descriptor(int fd) : fd_(fd) {}
    ~Descriptor() {
        if (fd_ >= 0)
            ::close(fd_);
    }
    Descriptor(const Descriptor&) = delete;
    Descriptor& operator=(const Descriptor&) = delete;
    int get() const { return fd_; }

private:
    int fd_;
};

bool writeAll(int fd, const std::string& bytes) {
    std::size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t written = ::write(fd, bytes.data() + done, bytes.size() - done);
        if (written < 0 && errno == EINTR)
            continue;
        if (written <= 0)
            return false;
        done += static_cast<std::size_t>(written);
    }
    return true;
}

// The file's bytes; "" for a file that does not exist, nothing for one that exists but cannot be read.
std::optional<std::string> readWholeFile(const std::string& path) {
    Descriptor file(::open(path.c_str(), O_RDONLY | O_CLOEXEC));
    if (file.get() < 0)
        return errno == ENOENT ? std::optional<std::string>("") : std::nullopt;
    std::string bytes;
    char buffer[65536];
    for (;;) {
        const ssize_t got = ::read(file.get(), buffer, sizeof buffer);
        if (got < 0 && errno == EINTR)
            continue;
        if (got < 0)
            return std::nullopt;
        if (got == 0)
            return bytes;
        bytes.append(buffer, static_cast<std::size_t>(got));
    }
}

bool makeFolders(const std::string& folder) {
    for (std::size_t pos = folder.find('/', 1);; pos = folder.find('/', pos + 1)) {
        const std::string prefix = folder.substr(0, pos);
        if (::mkdir(prefix.c_str(), 0700) != 0 && errno != EEXIST)
            return false;
        if (pos == std::string::npos)
            return true;
    }
}

std::string folderOf(const std::string& path) {
    const std::size_t slash = path.rfind('/');
    return slash == std::string::npos || slash == 0 ? "/" : path.substr(0, slash);
}

class FileRegistry : public TreeRegistry {
public:
    explicit FileRegistry(std::string storePath) : storePath_(std::move(storePath)) {}

protected:
    RegistryTree load() override {
        const auto bytes = readWholeFile(storePath_);
        return bytes ? readRegFile(*bytes).tree : RegistryTree();
    }

    long update(const std::function<bool(RegistryTree&)>& change) override {
        if (!makeFolders(folderOf(storePath_)))
            return errorFromErrno(errno);
        // The lock lives in a file of its own, since the store itself is replaced by every write.
        Descriptor lock(::open((storePath_ + ".lock").c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600));
        if (lock.get() < 0)
            return errorFromErrno(errno);
        while (::flock(lock.get(), LOCK_EX) != 0)
            if (errno != EINTR)
                return errorFromErrno(errno);

        const auto bytes = readWholeFile(storePath_);
        if (!bytes)
            return kErrorAccessDenied; // what cannot be read must not be overwritten
        RegFileContents contents = readRegFile(*bytes);
        if (!change(contents.tree))
            return kErrorSuccess;
        if (!contents.clean && !bytes->empty() && !keepAside())
            return kErrorCantWrite;
        return replaceStore(writeRegFile(contents.tree));
    }

private:
    // Keeps a store that did not parse under a new name beside it before it is replaced.
    bool keepAside() const {
        char stamp[32];
        const std::time_t now = std::time(nullptr);
        std::tm local{};
        ::localtime_r(&now, &local);
        std::strftime(stamp, sizeof stamp, "%Y%m%d-%H%M%S", &local);
        for (int attempt = 1; attempt < 1000; ++attempt) {
            std::string aside = storePath_ + ".damaged-" + stamp;
            if (attempt > 1)
                aside += "-" + std::to_string(attempt);
            if (::link(storePath_.c_str(), aside.c_str()) == 0)
                return true;
            if (errno == EEXIST)
                continue;
            // Folders without hard links get a copy.
            const auto bytes = readWholeFile(storePath_);
            Descriptor copy(::open(aside.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600));
            if (copy.get() < 0 && errno == EEXIST)
                continue;
            return bytes && copy.get() >= 0 && writeAll(copy.get(), *bytes) && ::fsync(copy.get()) == 0;
        }
        return false;
    }

    // Writes the new contents beside the store, flushes them and renames them over it, so that the store is
    // always either the old or the new file, whenever the process dies.
    long replaceStore(const std::string& text) const {
        const std::string temporary = storePath_ + ".tmp";
        {
            Descriptor file(::open(temporary.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600));
            if (file.get() < 0)
                return errorFromErrno(errno);
            if (!writeAll(file.get(), text) || ::fsync(file.get()) != 0) {
                const int error = errno;
                ::unlink(temporary.c_str());
                return errorFromErrno(error);
            }
        }
        if (::rename(temporary.c_str(), storePath_.c_str()) != 0) {
            const int error = errno;
            ::unlink(temporary.c_str());
            return errorFromErrno(error);
        }
        Descriptor folder(::open(folderOf(storePath_).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
        if (folder.get() >= 0)
            ::fsync(folder.get());
        return kErrorSuccess;
    }

    std::string storePath_;
};

std::string homeFolder() {
    if (const char* home = std::getenv("HOME"); home != nullptr && home[0] == '/')
        return home;
    if (const passwd* entry = ::getpwuid(::getuid()); entry != nullptr && entry->pw_dir != nullptr)
        return entry->pw_dir;
    return "/tmp";
}

} // namespace

std::string configHome() {
    if (const char* config = std::getenv("XDG_CONFIG_HOME"); config != nullptr && config[0] == '/')
        return config;
    return homeFolder() + "/.config";
}

std::string registryStorePath() {
    return configHome() + "/Talvek/kelvora-2008.reg";
}

std::unique_ptr<Registry> createFileRegistry(const std::string& storePath) {
    return std::make_unique<FileRegistry>(storePath);
}

std::unique_ptr<Registry> createRegistry() {
    return createFileRegistry(registryStorePath());
}

} // namespace kelvora
