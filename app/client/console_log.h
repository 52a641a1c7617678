#pragma once

#include "client/client_events.h"
#include "client/user_prompt.h"
#include "platform/clock.h"
#include "platform/log_line.h"

#include <functional>
#include <string>
#include <vector>

// Where log lines go: standard error in the program, a list in tests.
using LogSink = std::function<void(LogPriority, const std::string&)>;

// Message boxes become log lines; questions take a fixed answer.
class CConsolePrompt : public IUserPrompt {
public:
    CConsolePrompt(bool answer, LogSink log) : answer_(answer), log_(std::move(log)) {}
    void ShowMessage(const std::string& text, const std::string& caption, Icon icon) override;
    void ShowFieldMessage(const std::string& setting, const std::string& text) override;
    bool AskYesNo(const std::string& text) override;
    bool AnswersByItself() const override { return true; }

private:
    bool answer_;
    LogSink log_;
    std::string lastQuestion_;
};

// What the window would show, one line per event, with what a person reading
// a log wants rather than what a window redraws: who joined or left instead
// of every list, and an outage as one line when it starts, a count every
// minute and one line when it ends, instead of every failed attempt.
class CConsoleEvents : public IClientEvents {
public:
    // What the log asks the running gateway.
    struct Gateway {
        // A reconnect is wanted: the watchdog will try again.
        std::function<bool()> keepsTrying;
        // The Auto-Reconnect setting (RECO).
        std::function<bool()> autoReconnect;
    };

    CConsoleEvents(LogSink log, const IClock& clock) : log_(std::move(log)), clock_(clock) {}
    void Follow(Gateway gateway) { gateway_ = std::move(gateway); }

    void ConnectAttemptChanged(bool running) override;
    void Connected(const std::string& host, int port) override;
    void Disconnected(bool byUser) override;
    void Joined(const std::string& room, const std::string& callsign) override;
    void MembersChanged(const std::vector<std::string>& lines) override;
    void TalkerChanged(const std::string& talker) override;
    void KeyingChanged(bool keyed) override;
    void Note(const std::string& line) override;
    void Warning(const std::string& line) override;

private:
    static constexpr uint32_t kCountEveryMs = 60000;

    // Inside an outage the lines of each failed attempt are held back.
    bool HoldsAttemptLines() const { return outage_ && attemptRunning_; }
    void AttemptFailed();

    LogSink log_;
    const IClock& clock_;
    Gateway gateway_;

    bool attemptRunning_ = false;
    bool connectedInAttempt_ = false;
    bool outage_ = false;
    // A connection lost by itself: an outage that follows counts from then.
    bool lost_ = false;
    uint32_t lostAt_ = 0;
    uint32_t outageStart_ = 0;
    uint32_t lastCount_ = 0;
    int failedAttempts_ = 0;
    std::string lastFailure_;

    // The members as last logged: "CALLSIGN<tab>description" lines.
    std::vector<std::string> members_;
};
