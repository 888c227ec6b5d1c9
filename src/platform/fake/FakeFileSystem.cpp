#include "platform/fake/FakeFileSystem.h"

#include "platform/InstallLayout.h"
#include "platform/TextLines.h"
#include "platform/WindowsPath.h"

namespace kelvora::fake {

namespace {

class FakeDirectories : public DirectoryView {
public:
    explicit FakeDirectories(const FakeFileSystem& files) : files_(files) {}
    bool exists(const std::string& path) const override { return files_.isRegularFile(path) || files_.isFolder(path); }
    std::vector<std::string> list(const std::string& path) const override { return files_.namesIn(path); }

private:
    const FakeFileSystem& files_;
};

std::string parentOf(const std::string& path) {
    const std::size_t slash = path.rfind('/');
    return slash == 0 || slash == std::string::npos ? "/" : path.substr(0, slash);
}

} // namespace

void FakeFileSystem::addFolder(const std::string& path) {
    for (std::string folder = path; folder != "/" && !folder.empty(); folder = parentOf(folder))
        folders_.insert(folder);
}

void FakeFileSystem::addFile(const std::string& path, std::string bytes) {
    addFolder(parentOf(path));
    files_[path] = std::move(bytes);
}

std::vector<std::string> FakeFileSystem::namesIn(const std::string& folder) const {
    const std::string prefix = folder == "/" ? "/" : folder + "/";
    std::vector<std::string> names;
    auto collect = [&](const std::string& path) {
        if (path.size() > prefix.size() && path.rfind(prefix, 0) == 0 &&
            path.find('/', prefix.size()) == std::string::npos)
            names.push_back(path.substr(prefix.size()));
    };
    for (const auto& [path, bytes] : files_)
        collect(path);
    for (const std::string& path : folders_)
        collect(path);
    return names;
}

std::string FakeFileSystem::dataFolder() const {
    return installedDataFolder(programFolder_, FakeDirectories(*this));
}

std::string FakeFileSystem::resolvePath(const std::string& windowsPath) const {
    return resolveWindowsPath(windowsPath, FakeDirectories(*this));
}

std::optional<std::vector<std::string>> FakeFileSystem::readTextLines(const std::string& path) const {
    const auto file = files_.find(path);
    if (file == files_.end() || unreadable_.count(path) != 0)
        return std::nullopt;
    return splitTextLines(file->second);
}

} // namespace kelvora::fake
