#pragma once

#include <cstddef>
#include <string>

#include "update/transfer/HttpTransfer.h"

namespace kelvora {

inline constexpr std::size_t kDownloadChunkSize = 1000000;

// True when the status line (the header text up to its first CR LF) has exactly "200" as its second word,
// the words being separated by single spaces.
bool isStatusOk(const std::string& headerText);

// Fetches `Page` with GET, keeping the user interface alive through `events` while it waits. On status 200
// stores the body in `ReturnTo` and returns true; otherwise returns false and leaves `ReturnTo` untouched.
bool Pobierz(HttpTransfer& Inet, EventYield& events, const std::string& Page, std::string& ReturnTo);

} // namespace kelvora
