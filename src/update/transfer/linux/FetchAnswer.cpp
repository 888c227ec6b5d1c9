#include "update/transfer/linux/FetchAnswer.h"

#include <charconv>

namespace kelvora {

std::string fetchAnswer(const std::string& header, const std::string& body) {
    return std::to_string(header.size()) + '\n' + header + body;
}

bool parseFetchAnswer(const std::string& output, std::string& header, std::string& body) {
    const std::size_t lineEnd = output.find('\n');
    if (lineEnd == std::string::npos || lineEnd == 0)
        return false;
    std::size_t length = 0;
    const auto [end, error] = std::from_chars(output.data(), output.data() + lineEnd, length);
    if (error != std::errc() || end != output.data() + lineEnd || length > output.size() - lineEnd - 1)
        return false;
    header = output.substr(lineEnd + 1, length);
    body = output.substr(lineEnd + 1 + length);
    return true;
}

} // namespace kelvora
