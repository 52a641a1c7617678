#pragma once

#include "client/client_events.h"
#include "client/user_prompt.h"

#include <string>

// Writes one time-stamped line to stderr.
void LogLine(const std::string& line);

// Message boxes become log lines; questions take a fixed answer.
class CConsolePrompt : public IUserPrompt {
public:
    explicit CConsolePrompt(bool answer) : answer_(answer) {}
    void ShowMessage(const std::string& text, const std::string& caption, Icon icon) override;
    bool AskYesNo(const std::string& text) override;
    bool AnswersByItself() const override { return true; }

private:
    bool answer_;
    std::string lastQuestion_;
};

// What the window would show, one line per event.
class CConsoleEvents : public IClientEvents {
public:
    void ConnectAttemptChanged(bool running) override;
    void Connected(const std::string& host, int port) override;
    void Disconnected(bool byUser) override;
    void Joined(const std::string& room, const std::string& callsign) override;
    void MembersChanged(const std::vector<std::string>& lines) override;
    void TalkerChanged(const std::string& talker) override;
    void KeyingChanged(bool keyed) override;
    void Note(const std::string& line) override;
};
