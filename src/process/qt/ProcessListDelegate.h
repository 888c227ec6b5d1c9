#pragma once

#include <QStyledItemDelegate>

namespace kelvora {

// Draws a list row's text with its tab as a column break: the part after the tab starts at the tab stop, as a list
// box with tab stops shows it, or further left when the list is too narrow to show it there. The row's text itself
// keeps the tab.
class ProcessListDelegate : public QStyledItemDelegate {
    Q_OBJECT
public:
    explicit ProcessListDelegate(QObject* parent = nullptr);

    // The second column's offset in pixels, from the start of the row's text.
    void setTabOffset(int pixels) { tabOffset_ = pixels; }
    int tabOffset() const { return tabOffset_; }
    // Room kept after the tab stop for the widest second column.
    void setSecondColumnWidth(int pixels) { secondColumnWidth_ = pixels; }
    // Where the second column starts in a row whose text area is `textWidth` pixels wide.
    int columnOffset(int textWidth, const QFontMetrics& metrics) const;

    // `dialogUnits` horizontal dialog units in pixels for `font` (a quarter of its average letter width each).
    static int dialogUnitsToPixels(const QFont& font, int dialogUnits);

    void paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const override;
    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override;

private:
    static int minimumFirstColumn(const QFontMetrics& metrics);

    int tabOffset_ = 0;
    int secondColumnWidth_ = 0;
};

} // namespace kelvora
