// Placeholder backend; replaced when this part of the platform layer is built.
#include "platform/FileSystem.h"

namespace kelvora {
namespace {

class StubFileSystem : public FileSystem {
public:
    std::string programFolder() const override { return "."; }
    std::string resolvePath(const std::string& windowsPath) const override { return windowsPath; }
    bool isRegularFile(const std::string&) const override { return false; }
    std::optional<std::vector<std::string>> readTextLines(const std::string&) const override { return std::nullopt; }
};

} // namespace

std::unique_ptr<FileSystem> createFileSystem() { return std::make_unique<StubFileSystem>(); }

} // namespace kelvora
