#pragma once

#include <map>
#include <set>

#include "platform/FileSystem.h"

namespace kelvora::fake {

// Files held in memory under absolute '/' paths; text files split into lines as the real backend does.
class FakeFileSystem : public FileSystem {
public:
    void setProgramFolder(std::string folder) { programFolder_ = std::move(folder); }
    // Adds or replaces a file; the folders above it exist from then on.
    void addFile(const std::string& path, std::string bytes);
    void addFolder(const std::string& path);
    // An existing file that cannot be opened.
    void setUnreadable(const std::string& path) { unreadable_.insert(path); }

    std::string programFolder() const override { return programFolder_; }
    std::string dataFolder() const override;
    std::string resolvePath(const std::string& windowsPath) const override;
    bool isRegularFile(const std::string& path) const override { return files_.count(path) != 0; }
    std::optional<std::vector<std::string>> readTextLines(const std::string& path) const override;

    bool isFolder(const std::string& path) const { return folders_.count(path) != 0; }
    std::vector<std::string> namesIn(const std::string& folder) const;

private:
    std::string programFolder_ = "/opt/kelvora";
    std::map<std::string, std::string> files_;
    std::set<std::string> folders_{"/"};
    std::set<std::string> unreadable_;
};

} // namespace kelvora::fake
