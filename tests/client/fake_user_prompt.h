#pragma once

#include "client/user_prompt.h"

#include <deque>
#include <string>
#include <vector>

// Records every message box and question; questions take the scripted
// answers in order, then `defaultAnswer`.
class FakeUserPrompt : public IUserPrompt {
public:
    struct Message {
        std::string text;
        std::string caption;
        Icon icon = Icon::None;
    };

    void ShowMessage(const std::string& text, const std::string& caption, Icon icon) override {
        messages.push_back({text, caption, icon});
    }

    bool AskYesNo(const std::string& text) override {
        questions.push_back(text);
        if (answers.empty())
            return defaultAnswer;
        const bool answer = answers.front();
        answers.pop_front();
        return answer;
    }

    bool AnswersByItself() const override { return answersByItself; }

    // The texts of the messages shown so far.
    std::vector<std::string> Texts() const {
        std::vector<std::string> texts;
        for (const Message& m : messages)
            texts.push_back(m.text);
        return texts;
    }

    std::vector<Message> messages;
    std::vector<std::string> questions;
    std::deque<bool> answers;
    bool defaultAnswer = false;
    // Stands for headless mode's fixed answers rather than a person.
    bool answersByItself = false;
};
