#include <dirent.h>
#include <sys/stat.h>
#include <unistd.h>

#include <iterator>

#include "platform/FileSystem.h"
#include "platform/InstallLayout.h"
#include "platform/TextLines.h"
#include "platform/WindowsPath.h"

namespace kelvora {

namespace {

class RealDirectories : public DirectoryView {
public:
    bool exists(const std::string& path) const override {
        struct stat info {};
        return !path.empty() && ::stat(path.c_str(), &info) == 0;
    }

    std::vector<std::string> list(const std::string& path) const override {
        std::vector<std::string> names;
        DIR* folder = ::opendir(path.empty() ? "." : path.c_str());
        if (folder == nullptr)
            return names;
        while (const dirent* entry = ::readdir(folder)) {
            const std::string name = entry->d_name;
            if (name != "." && name != "..")
                names.push_back(name);
        }
        ::closedir(folder);
        return names;
    }
};

class LinuxFileSystem : public FileSystem {
public:
    std::string programFolder() const override {
        std::string target(4096, '\0');
        const ssize_t length = ::readlink("/proc/self/exe", target.data(), target.size());
        if (length <= 0)
            return ".";
        target.resize(static_cast<std::size_t>(length));
        const std::size_t slash = target.rfind('/');
        if (slash == std::string::npos)
            return ".";
        return slash == 0 ? "/" : target.substr(0, slash);
    }

    std::string dataFolder() const override { return installedDataFolder(programFolder(), RealDirectories()); }

    std::string resolvePath(const std::string& windowsPath) const override {
        return resolveWindowsPath(windowsPath, RealDirectories());
    }

    bool isRegularFile(const std::string& path) const override {
        struct stat info {};
        return ::stat(path.c_str(), &info) == 0 && S_ISREG(info.st_mode);
    }

    std::optional<std::vector<std::string>> readTextLines(const std::string& path) const override {
        if (!isRegularFile(path))
            return std::nullopt;
        const std::optional<std::string> bytes = readWholeFile(path);
        if (!bytes)
            return std::nullopt;
        return splitTextLines(*bytes);
    }
};

} // namespace

std::unique_ptr<FileSystem> createFileSystem() {
    return std::make_unique<LinuxFileSystem>();
}

} // namespace kelvora
