#pragma once

#include <string>

namespace kelvora {

// How the fetch helper hands a response to the program on its standard output: the header block's length in
// decimal and a line feed, the header block, then the body.
std::string fetchAnswer(const std::string& header, const std::string& body);
// False when `output` is not such an answer.
bool parseFetchAnswer(const std::string& output, std::string& header, std::string& body);

} // namespace kelvora
