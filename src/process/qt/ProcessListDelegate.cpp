#include "process/qt/ProcessListDelegate.h"

#include <algorithm>

#include <QApplication>
#include <QFontMetrics>
#include <QPainter>

namespace kelvora {

ProcessListDelegate::ProcessListDelegate(QObject* parent) : QStyledItemDelegate(parent) {}

int ProcessListDelegate::dialogUnitsToPixels(const QFont& font, int dialogUnits) {
    static const QString letters = QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz");
    const int baseUnit = (QFontMetrics(font).horizontalAdvance(letters) / 26 + 1) / 2;
    return dialogUnits * baseUnit / 4;
}

void ProcessListDelegate::paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const {
    QStyleOptionViewItem opt = option;
    initStyleOption(&opt, index);
    const QString text = opt.text;
    opt.text.clear();
    const QWidget* widget = opt.widget;
    QStyle* style = widget ? widget->style() : QApplication::style();
    style->drawControl(QStyle::CE_ItemViewItem, &opt, painter, widget);

    const QRect textRect = style->subElementRect(QStyle::SE_ItemViewItemText, &opt, widget);
    const qsizetype tab = text.indexOf(QLatin1Char('\t'));
    const QString first = tab < 0 ? text : text.left(tab);
    const QPalette::ColorGroup group = (opt.state & QStyle::State_Enabled) ? QPalette::Normal : QPalette::Disabled;
    const QPalette::ColorRole role = (opt.state & QStyle::State_Selected) ? QPalette::HighlightedText : QPalette::Text;

    painter->save();
    painter->setPen(opt.palette.color(group, role));
    painter->setFont(opt.font);
    const int flags = Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine;
    const int offset = tab < 0 ? textRect.width() : columnOffset(textRect.width(), opt.fontMetrics);
    QRect firstRect = textRect;
    firstRect.setWidth(std::max(0, offset - opt.fontMetrics.averageCharWidth()));
    // Paths lose their middle rather than the executable's name at their end.
    painter->drawText(firstRect, flags, opt.fontMetrics.elidedText(first, Qt::ElideMiddle, firstRect.width()));
    if (tab >= 0) {
        QRect secondRect = textRect;
        secondRect.setLeft(textRect.left() + offset);
        painter->drawText(secondRect, flags, text.mid(tab + 1));
    }
    painter->restore();
}

int ProcessListDelegate::columnOffset(int textWidth, const QFontMetrics& metrics) const {
    // The tab stop, moved left when the list is too narrow to show the class column beside it.
    const int room = textWidth - secondColumnWidth_ - metrics.averageCharWidth();
    return std::max(std::min(tabOffset_, room), std::min(tabOffset_, minimumFirstColumn(metrics)));
}

int ProcessListDelegate::minimumFirstColumn(const QFontMetrics& metrics) {
    return 12 * metrics.averageCharWidth();
}

QSize ProcessListDelegate::sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const {
    QSize size = QStyledItemDelegate::sizeHint(option, index);
    if (index.data(Qt::DisplayRole).toString().contains(QLatin1Char('\t'))) {
        // Only as wide as the narrowest layout of both columns: a wider list shows them without scrolling.
        const QFontMetrics metrics(option.font);
        size.setWidth(std::min(tabOffset_, minimumFirstColumn(metrics)) + secondColumnWidth_ +
                      2 * metrics.averageCharWidth());
    }
    return size;
}

} // namespace kelvora
