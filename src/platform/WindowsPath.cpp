#include "platform/WindowsPath.h"

#include <algorithm>
#include <utility>

namespace kelvora {

namespace {

char foldAscii(char c) {
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

std::vector<std::string> components(const std::string& path) {
    std::vector<std::string> parts;
    for (std::size_t start = 0; start <= path.size();) {
        const std::size_t end = std::min(path.find('/', start), path.size());
        std::string part = path.substr(start, end - start);
        if (!part.empty() && part != ".")
            parts.push_back(std::move(part));
        start = end + 1;
    }
    return parts;
}

std::string join(const std::string& folder, const std::string& name) {
    if (folder.empty())
        return name;
    if (folder.back() == '/')
        return folder + name;
    return folder + "/" + name;
}

} // namespace

bool equalsIgnoreCase(const std::string& a, const std::string& b) {
    return std::equal(a.begin(), a.end(), b.begin(), b.end(),
                      [](char x, char y) { return foldAscii(x) == foldAscii(y); });
}

std::string resolveWindowsPath(const std::string& windowsPath, const DirectoryView& tree) {
    std::string native = windowsPath;
    std::replace(native.begin(), native.end(), '\\', '/');
    if (tree.exists(native))
        return native;

    std::string resolved = (!native.empty() && native.front() == '/') ? "/" : "";
    bool matching = true;
    for (const std::string& part : components(native)) {
        std::string candidate = join(resolved, part);
        if (matching && !tree.exists(candidate)) {
            // Sorted so that several names differing only in case always resolve the same way.
            std::vector<std::string> names = tree.list(resolved);
            std::sort(names.begin(), names.end());
            const auto match = std::find_if(names.begin(), names.end(),
                                            [&](const std::string& name) { return equalsIgnoreCase(name, part); });
            if (match != names.end())
                candidate = join(resolved, *match);
            else
                matching = false;
        }
        resolved = candidate;
    }
    return resolved;
}

} // namespace kelvora
