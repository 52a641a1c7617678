#include "ui/dialog_refusal_box.h"

#include <QApplication>
#include <QMessageBox>

void ShowRefusal(QWidget* parent, const DlgRefusal& refusal) {
    const QMessageBox::Icon icon =
        refusal.icon == DlgRefusal::Icon::Stop ? QMessageBox::Critical : QMessageBox::Warning;
    QMessageBox box(icon, QApplication::applicationDisplayName(),
                    QString::fromStdString(refusal.message), QMessageBox::Ok, parent);
    box.setTextFormat(Qt::PlainText);
    box.exec();
}
