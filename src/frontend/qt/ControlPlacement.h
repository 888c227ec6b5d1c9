#pragma once

#include <QFont>
#include <QRect>
#include <QWidget>

#include "frontend/ControlTable.h"

namespace kelvora {

class StringTable;

QRect pixelPlace(const ControlSpec& control);
QFont controlFont(const ControlSpec& control);
// Its horizontal alignment; a wrapped text starts at the top, a single line is centred vertically.
Qt::Alignment controlAlignment(const ControlSpec& control);

// The caption of control `name`: the text of its string-table slot.
QString controlCaption(const StringTable& strings, ControlTable table, const char* name);

// Gives a label or button, named after its control in `table`, its caption.
void applyCaption(QWidget* widget, const StringTable& strings, ControlTable table);

// Names `widget` after the control and gives it the control's place and font; a label also its alignment and
// wrapping.
void placeControl(QWidget* widget, const ControlSpec& control);

// Looks `name` up in `table` and places `widget` there.
template <typename W> W* placeControl(W* widget, ControlTable table, const char* name) {
    placeControl(static_cast<QWidget*>(widget), findControl(table, name));
    return widget;
}

} // namespace kelvora
