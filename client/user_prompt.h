#pragma once

#include <string>

// Message boxes and Yes/No questions. The window shows them as dialogs (plain
// text only); headless mode logs them and answers questions with a configured
// answer; tests script the answers.
class IUserPrompt {
public:
    enum class Icon { None, Stop, Information };
    virtual ~IUserPrompt() = default;
    virtual void ShowMessage(const std::string& text, const std::string& caption = "",
                             Icon icon = Icon::None) = 0;
    virtual bool AskYesNo(const std::string& text) = 0;
    // A field's value was refused: text says why, setting is the key that
    // stores the field ("PORT"). Where the field is on show, the message is
    // all a person needs; a log names the setting too.
    virtual void ShowFieldMessage(const std::string& /*setting*/, const std::string& text) {
        ShowMessage(text, "", Icon::Stop);
    }
    // True when the answers come without a person (headless mode's fixed
    // answer): what follows from them must then be paced, not run at once.
    virtual bool AnswersByItself() const { return false; }
};
