#pragma once

#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace kelvora {

// Files as the program sees them: its own folder, Windows-style paths, and text files read line by line.
class FileSystem {
public:
    virtual ~FileSystem() = default;

    // The folder that holds the executable, without a trailing separator.
    virtual std::string programFolder() const = 0;

    // The folder that holds languages/ (the language files and documents): the program folder, unless the system's
    // install layout keeps them elsewhere.
    virtual std::string dataFolder() const { return programFolder(); }

    // Maps a path written the Windows way (backslashes, folder names in any letter case) onto the native path of an
    // existing file or folder; returns the path with native separators when nothing matches.
    virtual std::string resolvePath(const std::string& windowsPath) const = 0;

    // True for an existing ordinary file (not a folder).
    virtual bool isRegularFile(const std::string& path) const = 0;

    // The file's lines as UTF-8 text (a line ends at CR LF or a lone CR), or nothing when it cannot be opened.
    virtual std::optional<std::vector<std::string>> readTextLines(const std::string& path) const = 0;
};

std::unique_ptr<FileSystem> createFileSystem();

} // namespace kelvora
