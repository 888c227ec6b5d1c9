#pragma once

#include <optional>
#include <string>

namespace kelvora {

enum class Link { HomePage, Readme, UpdatePage, LicenseDocument, SupportPage, Forum, ContactPage };

// A URL path goes after the vendor's server; a document path (Windows-style) goes after the program folder.
enum class LinkKind { Url, Document };

struct LinkTarget {
    LinkKind kind;
    std::string path;
};

// The language names that select a link target, in the order the launcher tries them.
inline constexpr const char* kLinkLanguages[] = {"English", "Polish", "Deutsch"};

// The target of `link` for `language` (matched exactly, case-sensitively), or nothing for any other name.
std::optional<LinkTarget> linkTarget(Link link, const std::string& language);

} // namespace kelvora
