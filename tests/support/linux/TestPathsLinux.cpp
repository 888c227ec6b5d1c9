#include "support/TestPaths.h"

#include <cstdlib>
#include <filesystem>
#include <stdexcept>

namespace kelvora::test {

std::string sourceDir() { return KELVORA_SOURCE_DIR; }
std::string binaryDir() { return KELVORA_BINARY_DIR; }

TempDir::TempDir() {
    std::string pattern = (std::filesystem::temp_directory_path() / "kelvora-test-XXXXXX").string();
    if (mkdtemp(pattern.data()) == nullptr)
        throw std::runtime_error("cannot create a temporary folder");
    path_ = pattern;
}

TempDir::~TempDir() {
    std::error_code ignored;
    std::filesystem::remove_all(path_, ignored);
}

} // namespace kelvora::test
