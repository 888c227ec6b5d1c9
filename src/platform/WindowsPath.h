#pragma once

#include <string>
#include <vector>

namespace kelvora {

// What the path resolver needs to know about a tree of files.
class DirectoryView {
public:
    virtual ~DirectoryView() = default;
    virtual bool exists(const std::string& path) const = 0;
    // The names in folder `path` ("" is the current folder); empty when it is no folder.
    virtual std::vector<std::string> list(const std::string& path) const = 0;
};

// ASCII letters compared without regard to case, as Windows compares file and key names.
bool equalsIgnoreCase(const std::string& a, const std::string& b);

// Maps a Windows-style path onto an existing path: backslashes become '/', and each component that does not exist
// as written is matched without regard to case. The rest is appended as written once a component has no match.
std::string resolveWindowsPath(const std::string& windowsPath, const DirectoryView& tree);

} // namespace kelvora
