#include "process/ui/ProcessListDelegate.h"

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
    QRect firstRect = textRect;
    if (tab >= 0)
        firstRect.setWidth(std::max(0, tabOffset_ - 2));
    painter->drawText(firstRect, flags, opt.fontMetrics.elidedText(first, Qt::ElideRight, firstRect.width()));
    if (tab >= 0) {
        QRect secondRect = textRect;
        secondRect.setLeft(textRect.left() + tabOffset_);
        painter->drawText(secondRect, flags, text.mid(tab + 1));
    }
    painter->restore();
}

QSize ProcessListDelegate::sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const {
    QSize size = QStyledItemDelegate::sizeHint(option, index);
    const QString text = index.data(Qt::DisplayRole).toString();
    const qsizetype tab = text.indexOf(QLatin1Char('\t'));
    if (tab >= 0) {
        // Wide enough for the second column, so the list scrolls to it when the window is narrow.
        const QFontMetrics metrics(option.font);
        const int second = std::max(secondColumnWidth_, metrics.horizontalAdvance(text.mid(tab + 1)));
        size.setWidth(tabOffset_ + second + 2 * metrics.averageCharWidth());
    }
    return size;
}

} // namespace kelvora
