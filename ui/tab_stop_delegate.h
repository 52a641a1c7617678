#pragma once

#include <QStyledItemDelegate>

// Draws a list line "name<TAB>description" with the description at a tab
// stop, as a list box with one tab stop does.
class CTabStopDelegate : public QStyledItemDelegate {
    Q_OBJECT
public:
    // tabStop: the stop's distance from the left edge, in pixels.
    CTabStopDelegate(int tabStop, QObject* parent = nullptr)
        : QStyledItemDelegate(parent), tabStop_(tabStop) {}

    void paint(QPainter* painter, const QStyleOptionViewItem& option,
               const QModelIndex& index) const override;

private:
    int tabStop_;
};
