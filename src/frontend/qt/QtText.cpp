#include "frontend/qt/QtText.h"

#include <QPalette>

namespace kelvora {

QString uiText(const std::string& text) {
    QString result = QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
    result.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    result.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    return result;
}

QFont windowFont(double pointSize, bool bold) {
    QFont font(QStringLiteral("Calibri"));
    font.setPointSizeF(pointSize);
    font.setBold(bold);
    // Captions are laid out as the system draws them in the other front end, glyph after glyph without kerning; this
    // also spares loading each face's positioning tables.
    font.setStyleStrategy(QFont::PreferNoShaping);
    return font;
}

void setSolidBackground(QWidget* widget, Rgb colour) {
    widget->setAutoFillBackground(true);
    QPalette filled = widget->palette();
    filled.setColor(QPalette::Window, toQColor(colour));
    widget->setPalette(filled);
}

} // namespace kelvora
