#pragma once

#include <QLabel>

class QTextLayout;

namespace kelvora {

// Lays `layout`'s text out in lines of `width` pixels, broken at word boundaries and at line breaks, each line one
// font height (ascent plus descent) below the one before, without the font's extra leading, as the system's own
// labels advance. Returns the height the lines take.
int layoutWrappedLines(QTextLayout& layout, int width);

// The size `text` takes wrapped in `width` pixels with `font`: its widest line (wider than `width` when a single
// word is) and the height of its lines.
QSize wrappedTextSize(const QString& text, const QFont& font, int width);

// A label that, when it wraps, draws its lines with that line advance, so a text sized for the system's labels
// fits the same rectangle here.
class WrapLabel : public QLabel {
    Q_OBJECT
public:
    explicit WrapLabel(QWidget* parent);

protected:
    void paintEvent(QPaintEvent* event) override;
};

} // namespace kelvora
