#include "info/VendorUrl.h"

#include <algorithm>
#include <cctype>
#include <string_view>

namespace kelvora {
namespace {

bool isHostCharacter(char c) {
    return std::isalnum(static_cast<unsigned char>(c)) != 0 || c == '-' || c == '.';
}

// Why `host` is no host name, IPv4 address or bracketed IPv6 address; empty when it is one.
std::string hostProblem(std::string_view host) {
    if (host.empty())
        return "no host follows the scheme";
    if (host.front() == '[') {
        const bool literal = host.size() > 2 && host.back() == ']' &&
                             std::all_of(host.begin() + 1, host.end() - 1, [](char c) {
                                 return std::isxdigit(static_cast<unsigned char>(c)) != 0 || c == ':' || c == '.';
                             });
        return literal ? std::string() : "the bracketed host is no IPv6 address";
    }
    if (!std::all_of(host.begin(), host.end(), isHostCharacter))
        return "the host holds a character other than a letter, digit, '-' or '.', or a path follows it";
    if (host.front() == '-' || host.front() == '.')
        return "the host starts with '-' or '.'";
    return {};
}

// Why `port` is no number from 1 to 65535; empty when it is one.
std::string portProblem(std::string_view port) {
    const bool digits = !port.empty() && port.size() <= 5 &&
                        std::all_of(port.begin(), port.end(), [](char c) { return c >= '0' && c <= '9'; });
    if (!digits || std::stoi(std::string(port)) == 0 || std::stoi(std::string(port)) > 65535)
        return "the port is no number from 1 to 65535";
    return {};
}

std::string problemWith(std::string_view url) {
    std::string_view rest;
    if (url.rfind("http://", 0) == 0)
        rest = url.substr(7);
    else if (url.rfind("https://", 0) == 0)
        rest = url.substr(8);
    else
        return "it does not start with http:// or https://";
    // The port's colon is the last one, after any bracketed IPv6 address.
    const std::size_t closing = rest.rfind(']');
    const std::size_t colon = rest.find(':', closing == std::string_view::npos ? 0 : closing);
    if (colon == std::string_view::npos)
        return hostProblem(rest);
    if (std::string problem = hostProblem(rest.substr(0, colon)); !problem.empty())
        return problem;
    return portProblem(rest.substr(colon + 1));
}

} // namespace

VendorUrlChoice chooseVendorUrl(const char* override, const std::string& fallback) {
    if (override == nullptr || *override == '\0')
        return {fallback, {}};
    std::string url(override);
    if (url.back() == '/')
        url.pop_back();
    if (std::string problem = problemWith(url); !problem.empty())
        return {fallback, "KELVORA_VENDOR_URL \"" + std::string(override) + "\" is not used: " + problem +
                              "; the vendor's server stays " + fallback};
    return {url, {}};
}

} // namespace kelvora
