#pragma once

#include <QColor>
#include <QFont>
#include <QString>
#include <QWidget>
#include <string>

#include "frontend/Palette.h"

namespace kelvora {

// A text from the string table as Qt shows it: UTF-8, with its carriage returns as line breaks.
QString uiText(const std::string& text);

// The windows' font, Calibri (Carlito where Calibri is not installed), 9.75 pt unless told otherwise.
QFont windowFont(double pointSize = 9.75, bool bold = false);

// A colour of the palette as Qt takes it.
inline QColor toQColor(Rgb colour) {
    return {colour.red, colour.green, colour.blue};
}
// Fills the widget's whole area with `colour` (no style sheet: the first one loads a style engine of its own).
void setSolidBackground(QWidget* widget, Rgb colour);

} // namespace kelvora
