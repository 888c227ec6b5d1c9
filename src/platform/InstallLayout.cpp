#include "platform/InstallLayout.h"

namespace kelvora {

std::string installedDataFolder(const std::string& programFolder, const DirectoryView& tree) {
    if (tree.exists(resolveWindowsPath(programFolder + "\\languages", tree)))
        return programFolder;
    // The parent is cut from the text rather than written as "..", so the documents handed to the desktop's opener
    // have plain paths.
    const std::size_t slash = programFolder.rfind('/');
    if (slash == std::string::npos)
        return programFolder;
    std::string shared = programFolder.substr(0, slash) + "/share/kelvora-2008";
    if (tree.exists(resolveWindowsPath(shared + "\\languages", tree)))
        return shared;
    return programFolder;
}

} // namespace kelvora
