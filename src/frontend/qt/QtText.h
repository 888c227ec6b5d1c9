#pragma once

#include <QFont>
#include <QString>
#include <string>

namespace kelvora {

// A text from the string table as Qt shows it: UTF-8, with its carriage returns as line breaks.
QString uiText(const std::string& text);

// The windows' font, Calibri (Carlito where Calibri is not installed), 9.75 pt unless told otherwise.
QFont windowFont(double pointSize = 9.75, bool bold = false);

} // namespace kelvora
