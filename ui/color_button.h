#pragma once

#include <QWidget>

#include <cstdint>

// The transmit lamp: a filled ellipse in its colour with a one-pixel black
// outline over the whole control.
class CColorButton : public QWidget {
    Q_OBJECT
public:
    explicit CColorButton(QWidget* parent = nullptr);
    // rgb is 0x00RRGGBB.
    void SetColor(uint32_t rgb);
    uint32_t Color() const { return rgb_; }
    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    uint32_t rgb_ = 0x808080;
};
