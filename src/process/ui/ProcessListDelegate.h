#pragma once

#include <QStyledItemDelegate>

namespace kelvora {

// Draws a list row's text with its tab as a column break: the part after the tab starts at a fixed offset,
// as a list box with tab stops shows it. The row's text itself keeps the tab.
class ProcessListDelegate : public QStyledItemDelegate {
    Q_OBJECT
public:
    explicit ProcessListDelegate(QObject* parent = nullptr);

    // The second column's offset in pixels, from the start of the row's text.
    void setTabOffset(int pixels) { tabOffset_ = pixels; }
    int tabOffset() const { return tabOffset_; }
    // Room kept after the tab stop: every row is as wide, so one size serves the whole list.
    void setSecondColumnWidth(int pixels) { secondColumnWidth_ = pixels; }

    // `dialogUnits` horizontal dialog units in pixels for `font` (a quarter of its average letter width each).
    static int dialogUnitsToPixels(const QFont& font, int dialogUnits);

    void paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const override;
    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override;

private:
    int tabOffset_ = 0;
    int secondColumnWidth_ = 0;
};

} // namespace kelvora
