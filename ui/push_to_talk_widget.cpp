#include "ui/push_to_talk_widget.h"

#include "client/push_to_talk_button.h"

#include <QMouseEvent>

CPushToTalkWidget::CPushToTalkWidget(CPushToTalkButton& logic, const QString& caption,
                                     QWidget* parent)
    : QPushButton(caption, parent), logic_(logic) {}

void CPushToTalkWidget::mousePressEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton)
        logic_.MouseDown();
    QPushButton::mousePressEvent(event);
}

void CPushToTalkWidget::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton)
        logic_.MouseUp();
    QPushButton::mouseReleaseEvent(event);
}
