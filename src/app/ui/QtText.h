#pragma once

#include <QString>
#include <string>

namespace kelvora {

// A text from the string table as Qt shows it: UTF-8, with its carriage returns as line breaks.
QString uiText(const std::string& text);

} // namespace kelvora
