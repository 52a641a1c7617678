#include "ui/tab_stop_delegate.h"

#include <QApplication>
#include <QPainter>

void CTabStopDelegate::paint(QPainter* painter, const QStyleOptionViewItem& option,
                             const QModelIndex& index) const {
    QStyleOptionViewItem item = option;
    initStyleOption(&item, index);
    const QString text = item.text;
    item.text.clear();
    // The background and selection as usual, then the two columns.
    const QWidget* widget = option.widget;
    QStyle* style = widget ? widget->style() : QApplication::style();
    style->drawControl(QStyle::CE_ItemViewItem, &item, painter, widget);

    const int tab = text.indexOf('\t');
    const QString name = tab < 0 ? text : text.left(tab);
    const QString rest = tab < 0 ? QString() : text.mid(tab + 1);
    const QRect area = style->subElementRect(QStyle::SE_ItemViewItemText, &item, widget);
    const QPalette::ColorRole role =
        (option.state & QStyle::State_Selected) ? QPalette::HighlightedText : QPalette::Text;
    painter->save();
    painter->setPen(option.palette.color(role));
    const int flags = Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine;
    // A name longer than the stop pushes the description on, as tabs do.
    const int nameWidth = option.fontMetrics.horizontalAdvance(name);
    const int restLeft = area.left() + std::max(tabStop_, nameWidth + option.fontMetrics.averageCharWidth());
    painter->drawText(QRect(area.left(), area.top(), restLeft - area.left(), area.height()), flags, name);
    painter->drawText(QRect(restLeft, area.top(), std::max(0, area.right() - restLeft), area.height()),
                      flags, rest);
    painter->restore();
}
