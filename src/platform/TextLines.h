#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace kelvora {

// `bytes` as valid UTF-8: every byte that does not belong to a well-formed sequence becomes U+FFFD.
std::string sanitizeUtf8(std::string_view bytes);

// The bytes of the file at `path`, or nothing when it cannot be opened or read.
std::optional<std::string> readWholeFile(const std::string& path);

// The lines of a text file's contents, as UTF-8: a UTF-8 byte-order mark at the start is skipped, a line ends at
// CR LF or a lone CR (a lone LF stays part of the line), and the last line needs no terminator.
std::vector<std::string> splitTextLines(std::string_view bytes);

} // namespace kelvora
