#pragma once

#include "client/user_prompt.h"

class QWidget;

// Message boxes and Yes/No questions as Qt dialogs over the main window. The
// text is always plain: a server's text is never taken as rich text.
class CMessageBoxPrompt : public IUserPrompt {
public:
    explicit CMessageBoxPrompt(QWidget* parent = nullptr) : parent_(parent) {}
    void SetParent(QWidget* parent) { parent_ = parent; }

    void ShowMessage(const std::string& text, const std::string& caption = "",
                     Icon icon = Icon::None) override;
    bool AskYesNo(const std::string& text) override;

private:
    QWidget* parent_;
};
