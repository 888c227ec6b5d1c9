#include "platform/TextLines.h"

#include <array>
#include <cstdint>
#include <cstdio>
#include <memory>

namespace kelvora {

namespace {

constexpr std::string_view kReplacement = "\xEF\xBF\xBD";
constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";

bool isContinuation(unsigned char byte) {
    return (byte & 0xC0) == 0x80;
}

// Length of the well-formed UTF-8 sequence at `pos`, or 0 when the byte there does not start one.
std::size_t sequenceLength(std::string_view bytes, std::size_t pos) {
    const auto lead = static_cast<unsigned char>(bytes[pos]);
    if (lead < 0x80)
        return 1;
    std::size_t length = 0;
    std::uint32_t codePoint = 0;
    if (lead >= 0xC2 && lead <= 0xDF) {
        length = 2;
        codePoint = lead & 0x1F;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 3;
        codePoint = lead & 0x0F;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        length = 4;
        codePoint = lead & 0x07;
    } else {
        return 0;
    }
    if (pos + length > bytes.size())
        return 0;
    for (std::size_t i = 1; i < length; ++i) {
        const auto next = static_cast<unsigned char>(bytes[pos + i]);
        if (!isContinuation(next))
            return 0;
        codePoint = (codePoint << 6) | (next & 0x3F);
    }
    // Overlong forms, surrogates and values past U+10FFFF are not characters.
    if ((length == 3 && codePoint < 0x800) || (length == 4 && codePoint < 0x10000) || codePoint > 0x10FFFF ||
        (codePoint >= 0xD800 && codePoint <= 0xDFFF))
        return 0;
    return length;
}

} // namespace

std::string sanitizeUtf8(std::string_view bytes) {
    std::string text;
    text.reserve(bytes.size());
    std::size_t pos = 0;
    while (pos < bytes.size()) {
        const std::size_t length = sequenceLength(bytes, pos);
        if (length == 0) {
            text += kReplacement;
            ++pos;
        } else {
            text.append(bytes.substr(pos, length));
            pos += length;
        }
    }
    return text;
}

std::vector<std::string> splitTextLines(std::string_view bytes) {
    if (bytes.substr(0, kByteOrderMark.size()) == kByteOrderMark)
        bytes.remove_prefix(kByteOrderMark.size());
    std::vector<std::string> lines;
    std::size_t start = 0;
    while (start < bytes.size()) {
        const std::size_t cr = bytes.find('\r', start);
        if (cr == std::string_view::npos) {
            lines.push_back(sanitizeUtf8(bytes.substr(start)));
            break;
        }
        lines.push_back(sanitizeUtf8(bytes.substr(start, cr - start)));
        start = cr + 1;
        if (start < bytes.size() && bytes[start] == '\n')
            ++start;
    }
    return lines;
}

std::optional<std::string> readWholeFile(const std::string& path) {
    // C files, not streams: a stream would set up every locale facet, which the program otherwise never needs.
    const std::unique_ptr<std::FILE, int (*)(std::FILE*)> file(std::fopen(path.c_str(), "rb"), &std::fclose);
    if (!file)
        return std::nullopt;
    std::string bytes;
    std::array<char, 8192> buffer;
    while (const std::size_t got = std::fread(buffer.data(), 1, buffer.size(), file.get()))
        bytes.append(buffer.data(), got);
    if (std::ferror(file.get()))
        return std::nullopt;
    return bytes;
}

} // namespace kelvora
