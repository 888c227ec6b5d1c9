#include "info/LinkTable.h"

#include <array>

namespace kelvora {
namespace {

struct LinkRow {
    Link link;
    LinkKind kind;
    std::array<const char*, 3> paths; // English, Polish, Deutsch
};

constexpr LinkRow kLinkTable[] = {
    {Link::HomePage, LinkKind::Url, {"/en", "/pl", "/de"}},
    {Link::Readme,
     LinkKind::Document,
     {"\\languages\\english\\readme.txt", "\\languages\\polish\\readme.txt", "\\languages\\deutsch\\readme.txt"}},
    {Link::UpdatePage,
     LinkKind::Url,
     {"/en/products/kelvora-2008/update.html", "/pl/produkty/kelvora-2008/update.html",
      "/de/products/kelvora-2008/update.html"}},
    {Link::LicenseDocument,
     LinkKind::Document,
     {"\\languages\\english\\license.txt", "\\languages\\polish\\license.txt", "\\languages\\deutsch\\license.txt"}},
    {Link::SupportPage, LinkKind::Url, {"/en/support.html", "/pl/wsparcie.html", "/de/support.html"}},
    {Link::Forum, LinkKind::Url, {"/forum", "/forum", "/forum"}},
    {Link::ContactPage, LinkKind::Url, {"/en/contact.html", "/pl/kontakt.html", "/de/contact.html"}},
};

} // namespace

std::optional<LinkTarget> linkTarget(Link link, const std::string& language) {
    for (const LinkRow& row : kLinkTable) {
        if (row.link != link)
            continue;
        for (std::size_t i = 0; i < row.paths.size(); ++i) {
            if (language == kLinkLanguages[i])
                return LinkTarget{row.kind, row.paths[i]};
        }
    }
    return std::nullopt;
}

} // namespace kelvora
