// The test paths of a Windows build: the trees as Wine shows them, temp folders below the user's temp folder.
#include <windows.h>

#include <atomic>
#include <filesystem>
#include <stdexcept>
#include <string>

#include "support/TestPaths.h"

namespace kelvora::test {

std::string sourceDir() { return KELVORA_SOURCE_DIR; }
std::string binaryDir() { return KELVORA_BINARY_DIR; }

TempDir::TempDir() {
    static std::atomic<unsigned> counter{0};
    const auto base = std::filesystem::temp_directory_path();
    for (int attempt = 0; attempt < 100; ++attempt) {
        const std::string name = "kelvora-test-" + std::to_string(GetCurrentProcessId()) + "-" +
                                 std::to_string(GetTickCount()) + "-" + std::to_string(counter++);
        const std::filesystem::path folder = base / name;
        if (CreateDirectoryW(folder.wstring().c_str(), nullptr)) {
            const std::u8string utf8 = folder.u8string();
            path_.assign(utf8.begin(), utf8.end());
            return;
        }
    }
    throw std::runtime_error("cannot create a temporary folder");
}

TempDir::~TempDir() {
    std::error_code ignored;
    std::filesystem::remove_all(std::filesystem::path(std::u8string(path_.begin(), path_.end())), ignored);
}

} // namespace kelvora::test
