#include "ui/app_icon.h"

#include <QPainter>
#include <QPainterPath>
#include <QPixmap>

namespace {
QPixmap Draw(int side) {
    QPixmap pixmap(side, side);
    pixmap.fill(Qt::transparent);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    p.scale(side / 64.0, side / 64.0);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(30, 60, 120));
    p.drawRoundedRect(QRectF(2, 2, 60, 60), 12, 12);
    // The mast.
    QPen mast(QColor(240, 240, 240), 4, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin);
    p.setPen(mast);
    p.drawLine(QPointF(32, 26), QPointF(22, 54));
    p.drawLine(QPointF(32, 26), QPointF(42, 54));
    p.drawLine(QPointF(26, 44), QPointF(38, 44));
    // The waves, in the transmit lamp's red.
    QPen wave(QColor(230, 60, 50), 3.5, Qt::SolidLine, Qt::RoundCap);
    p.setPen(wave);
    p.setBrush(Qt::NoBrush);
    for (int r : {8, 15}) {
        const QRectF arc(32 - r, 24 - r, 2 * r, 2 * r);
        p.drawArc(arc, 30 * 16, 120 * 16);
    }
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(230, 60, 50));
    p.drawEllipse(QPointF(32, 24), 3.5, 3.5);
    return pixmap;
}
} // namespace

QIcon AppIcon() {
    QIcon icon;
    for (int side : {16, 32, 48, 64, 128, 256})
        icon.addPixmap(Draw(side));
    return icon;
}
