#include "frontend/qt/QtText.h"

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

QString cssColour(Rgb colour) {
    return QStringLiteral("rgb(%1, %2, %3)").arg(colour.red).arg(colour.green).arg(colour.blue);
}

} // namespace kelvora
