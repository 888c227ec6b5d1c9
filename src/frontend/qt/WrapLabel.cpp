#include "frontend/qt/WrapLabel.h"

#include <QPainter>
#include <QTextLayout>
#include <algorithm>
#include <cmath>

namespace kelvora {
namespace {

// QTextLayout breaks lines only at the Unicode line separator, not at "\n".
QString withLineSeparators(QString text) {
    text.replace(QLatin1Char('\n'), QChar::LineSeparator);
    return text;
}

} // namespace

int layoutWrappedLines(QTextLayout& layout, int width) {
    const QFontMetrics metrics(layout.font());
    const int advance = metrics.ascent() + metrics.descent();
    int top = 0;
    layout.beginLayout();
    for (QTextLine line = layout.createLine(); line.isValid(); line = layout.createLine()) {
        line.setLineWidth(width);
        line.setPosition(QPointF(0, top));
        top += advance;
    }
    layout.endLayout();
    return top;
}

QSize wrappedTextSize(const QString& text, const QFont& font, int width) {
    QTextLayout layout(withLineSeparators(text), font);
    QTextOption option;
    option.setWrapMode(QTextOption::WordWrap);
    layout.setTextOption(option);
    const int height = layoutWrappedLines(layout, width);
    qreal widest = 0;
    for (int i = 0; i < layout.lineCount(); ++i)
        widest = std::max(widest, layout.lineAt(i).naturalTextWidth());
    return {static_cast<int>(std::ceil(widest)), height};
}

WrapLabel::WrapLabel(QWidget* parent) : QLabel(parent) {
    setTextFormat(Qt::PlainText);
}

void WrapLabel::paintEvent(QPaintEvent* event) {
    if (!wordWrap()) {
        QLabel::paintEvent(event);
        return;
    }
    const QRect area = contentsRect();
    QTextLayout layout(withLineSeparators(text()), font());
    QTextOption option(alignment() & Qt::AlignHorizontal_Mask);
    option.setWrapMode(QTextOption::WordWrap);
    layout.setTextOption(option);
    layoutWrappedLines(layout, area.width());
    QPainter painter(this);
    painter.setPen(palette().color(isEnabled() ? QPalette::Active : QPalette::Disabled, foregroundRole()));
    painter.setClipRect(area);
    layout.draw(&painter, area.topLeft());
}

} // namespace kelvora
