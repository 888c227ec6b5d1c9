// Files through the wide Win32 calls; names arrive and leave as UTF-8.

#include "platform/FileSystem.h"
#include "platform/TextLines.h"
#include "platform/windows/WideText.h"

// After the program's own headers: their Win32-named constants come before the macros of the same names.
#include <windows.h>

namespace kelvora {
namespace {

// Closes a file handle when it goes out of scope.
class FileHandle {
public:
    explicit FileHandle(HANDLE handle) : handle_(handle) {}
    ~FileHandle() {
        if (handle_ != INVALID_HANDLE_VALUE)
            CloseHandle(handle_);
    }
    FileHandle(const FileHandle&) = delete;
    FileHandle& operator=(const FileHandle&) = delete;
    HANDLE get() const { return handle_; }

private:
    HANDLE handle_;
};

class WindowsFileSystem : public FileSystem {
public:
    std::string programFolder() const override { return windows::toUtf8(windows::executableFolder()); }

    // The system itself matches names without regard to case; only forward slashes need turning round.
    std::string resolvePath(const std::string& windowsPath) const override {
        std::string path = windowsPath;
        for (char& c : path)
            if (c == '/')
                c = '\\';
        return path;
    }

    bool isRegularFile(const std::string& path) const override {
        const DWORD attributes = GetFileAttributesW(windows::toWide(path).c_str());
        return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) == 0;
    }

    std::optional<std::vector<std::string>> readTextLines(const std::string& path) const override {
        if (!isRegularFile(path))
            return std::nullopt;
        FileHandle file(CreateFileW(windows::toWide(path).c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                    nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
        if (file.get() == INVALID_HANDLE_VALUE)
            return std::nullopt;
        std::string bytes;
        char buffer[65536];
        for (;;) {
            DWORD got = 0;
            if (!ReadFile(file.get(), buffer, sizeof buffer, &got, nullptr))
                return std::nullopt;
            if (got == 0)
                return splitTextLines(bytes);
            bytes.append(buffer, got);
        }
    }
};

} // namespace

std::unique_ptr<FileSystem> createFileSystem() {
    return std::make_unique<WindowsFileSystem>();
}

} // namespace kelvora
