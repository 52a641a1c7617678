#include "ui/message_box_prompt.h"

#include <QApplication>
#include <QMessageBox>

namespace {
QMessageBox::Icon ToQt(IUserPrompt::Icon icon) {
    switch (icon) {
    case IUserPrompt::Icon::Stop:
        return QMessageBox::Critical;
    case IUserPrompt::Icon::Information:
        return QMessageBox::Information;
    case IUserPrompt::Icon::None:
        break;
    }
    return QMessageBox::NoIcon;
}

// A box titled with the caption, or with the application's name when none.
void Prepare(QMessageBox& box, const std::string& text, const std::string& caption) {
    box.setTextFormat(Qt::PlainText);
    box.setText(QString::fromStdString(text));
    box.setWindowTitle(caption.empty() ? QApplication::applicationDisplayName()
                                       : QString::fromStdString(caption));
}
} // namespace

void CMessageBoxPrompt::ShowMessage(const std::string& text, const std::string& caption,
                                    Icon icon) {
    QMessageBox box(ToQt(icon), QString(), QString(), QMessageBox::Ok, parent_);
    Prepare(box, text, caption);
    box.exec();
}

bool CMessageBoxPrompt::AskYesNo(const std::string& text) {
    QMessageBox box(QMessageBox::Question, QString(), QString(),
                    QMessageBox::Yes | QMessageBox::No, parent_);
    Prepare(box, text, "");
    return box.exec() == QMessageBox::Yes;
}
