#pragma once

#include <QPushButton>

class CPushToTalkButton;

// The "PTT" button: the mouse going down and up on it drives the
// push-to-talk button's logic, which decides whether a command follows. A
// plain click does nothing of its own.
class CPushToTalkWidget : public QPushButton {
    Q_OBJECT
public:
    CPushToTalkWidget(CPushToTalkButton& logic, const QString& caption, QWidget* parent = nullptr);

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    CPushToTalkButton& logic_;
};
