#include "ui/color_button.h"

#include <QPainter>

CColorButton::CColorButton(QWidget* parent) : QWidget(parent) {
    setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
}

void CColorButton::SetColor(uint32_t rgb) {
    if (rgb == rgb_)
        return;
    rgb_ = rgb;
    update();
}

QSize CColorButton::sizeHint() const {
    const int side = fontMetrics().height() * 3 / 2;
    return {side, side};
}

void CColorButton::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(QPen(Qt::black, 1));
    painter.setBrush(QColor::fromRgb(rgb_));
    painter.drawEllipse(QRectF(rect()).adjusted(0.5, 0.5, -0.5, -0.5));
}
