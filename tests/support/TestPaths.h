#pragma once

#include <string>

namespace kelvora::test {

// The source tree (fixtures, language files) and the build tree (the executable, its languages folder).
std::string sourceDir();
std::string binaryDir();

// A fresh, empty folder below the system's temp folder, removed by the caller's TempDir.
class TempDir {
public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;
    const std::string& path() const { return path_; }

private:
    std::string path_;
};

} // namespace kelvora::test
