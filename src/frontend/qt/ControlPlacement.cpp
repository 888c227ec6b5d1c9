#include "frontend/qt/ControlPlacement.h"

#include <QAbstractButton>
#include <QLabel>

#include "frontend/qt/QtText.h"
#include "settings/StringTable.h"

namespace kelvora {

QRect pixelPlace(const ControlSpec& control) {
    const PixelRect place = toPixels(control.place);
    return {place.left, place.top, place.width, place.height};
}

QFont controlFont(const ControlSpec& control) {
    return windowFont(control.font.points, control.font.bold);
}

Qt::Alignment controlAlignment(const ControlSpec& control) {
    const Qt::Alignment vertical = control.wraps ? Qt::AlignTop : Qt::AlignVCenter;
    switch (control.align) {
    case TextAlign::Centre:
        return Qt::AlignHCenter | vertical;
    case TextAlign::Right:
        return Qt::AlignRight | vertical;
    default:
        return Qt::AlignLeft | vertical;
    }
}

QString controlCaption(const StringTable& strings, ControlTable table, const char* name) {
    return uiText(strings[findControl(table, name).slot]);
}

void applyCaption(QWidget* widget, const StringTable& strings, ControlTable table) {
    const QString caption = controlCaption(strings, table, widget->objectName().toLatin1().constData());
    if (auto* label = qobject_cast<QLabel*>(widget)) {
        // Qt gives a label that takes the focus a text editor for its text, which a label of plain text never uses.
        const Qt::FocusPolicy focus = label->focusPolicy();
        label->setFocusPolicy(Qt::NoFocus);
        label->setText(caption);
        label->setFocusPolicy(focus);
    } else if (auto* button = qobject_cast<QAbstractButton*>(widget)) {
        button->setText(caption);
    }
}

void placeControl(QWidget* widget, const ControlSpec& control) {
    widget->setObjectName(QString::fromLatin1(control.name));
    widget->setGeometry(pixelPlace(control));
    // A tab container passes its font on to the whole page; the page's controls take their own.
    if (control.kind != ControlKind::Tab)
        widget->setFont(controlFont(control));
    if (auto* label = qobject_cast<QLabel*>(widget)) {
        label->setAlignment(controlAlignment(control));
        label->setWordWrap(control.wraps);
    }
}

} // namespace kelvora
