#include "ui/message_box_prompt.h"

#include <QAbstractButton>
#include <QApplication>
#include <QMessageBox>
#include <QTimer>

#include <gtest/gtest.h>

namespace {
// Looks at the box that is open, then answers it with `button`.
void AnswerOpenBox(QMessageBox::StandardButton button, QMessageBox** seen) {
    QTimer::singleShot(0, [button, seen] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        *seen = box;
        if (box)
            box->button(button)->click();
    });
}
} // namespace

// A server's text is shown as it is, never as rich text.
TEST(MessageBoxPrompt, ShowsPlainTextAndAnswersYesOrNo) {
    CMessageBoxPrompt prompt;
    QMessageBox* box = nullptr;
    Qt::TextFormat format = Qt::RichText;
    QString text;
    QTimer::singleShot(0, [&] {
        box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        if (!box)
            return;
        format = box->textFormat();
        text = box->text();
        box->button(QMessageBox::Ok)->click();
    });
    prompt.ShowMessage("<b>Welcome</b> <img src=x>", "", IUserPrompt::Icon::Stop);
    ASSERT_NE(box, nullptr);
    EXPECT_EQ(format, Qt::PlainText);
    EXPECT_EQ(text, "<b>Welcome</b> <img src=x>");

    AnswerOpenBox(QMessageBox::Yes, &box);
    EXPECT_TRUE(prompt.AskYesNo("Unable to connect. Try again?"));
    AnswerOpenBox(QMessageBox::No, &box);
    EXPECT_FALSE(prompt.AskYesNo("Unable to connect. Try again?"));
}
