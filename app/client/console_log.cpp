#include "app/client/console_log.h"

#include <algorithm>

namespace {
// Message texts may span lines; a log line may not.
std::string OneLine(std::string text) {
    for (char& c : text)
        if (c == '\n' || c == '\r')
            c = ' ';
    return text;
}

std::string NameOf(const std::string& memberLine) {
    return memberLine.substr(0, memberLine.find('\t'));
}

// "G4ABC [a comment]", or "G4ABC" without a comment.
std::string Described(const std::string& memberLine) {
    const size_t tab = memberLine.find('\t');
    if (tab == std::string::npos || tab + 1 == memberLine.size())
        return memberLine.substr(0, tab);
    return memberLine.substr(0, tab) + " [" + memberLine.substr(tab + 1) + "]";
}

const std::string* FindMember(const std::vector<std::string>& lines, const std::string& name) {
    const auto found = std::find_if(lines.begin(), lines.end(),
                                    [&](const std::string& line) { return NameOf(line) == name; });
    return found == lines.end() ? nullptr : &*found;
}

// "45 s", "3 min 12 s", "2 h 5 min".
std::string Duration(uint32_t ms) {
    const uint32_t seconds = ms / 1000;
    if (seconds < 60)
        return std::to_string(seconds) + " s";
    if (seconds < 3600)
        return std::to_string(seconds / 60) + " min " + std::to_string(seconds % 60) + " s";
    return std::to_string(seconds / 3600) + " h " + std::to_string(seconds / 60 % 60) + " min";
}
} // namespace

void CConsolePrompt::ShowMessage(const std::string& text, const std::string& caption, Icon icon) {
    std::string line = icon == Icon::Stop ? "Error: " : "Message: ";
    if (!caption.empty())
        line += caption + ": ";
    log_(icon == Icon::Stop ? LogPriority::Error : LogPriority::Info, line + OneLine(text));
}

void CConsolePrompt::ShowFieldMessage(const std::string& setting, const std::string& text) {
    log_(LogPriority::Error, "Error: " + setting + ": " + OneLine(text));
}

// A question asked again and again (the retry of a refused connect) is
// logged once: each attempt already has its own line.
bool CConsolePrompt::AskYesNo(const std::string& text) {
    if (text != lastQuestion_)
        log_(LogPriority::Info, "Question: " + OneLine(text) + " -> " + (answer_ ? "yes" : "no") +
                                    " (the same answer from now on)");
    lastQuestion_ = text;
    return answer_;
}

void CConsoleEvents::ConnectAttemptChanged(bool running) {
    if (running) {
        connectedInAttempt_ = false;
        if (!outage_)
            log_(LogPriority::Info, "Connecting");
        attemptRunning_ = true;
        return;
    }
    attemptRunning_ = false;
    if (!connectedInAttempt_)
        AttemptFailed();
}

// The first failure of a gateway that keeps trying starts an outage; later
// ones are counted, and the count is logged once a minute.
void CConsoleEvents::AttemptFailed() {
    const uint32_t now = clock_.Ticks();
    if (outage_) {
        ++failedAttempts_;
        if (now - lastCount_ >= kCountEveryMs) {
            lastCount_ = now;
            log_(LogPriority::Warning, "Still no connection after " + Duration(now - outageStart_) +
                                           ": " + std::to_string(failedAttempts_) +
                                           " attempts failed, the last with \"" + lastFailure_ +
                                           "\"");
        }
        return;
    }
    if (!gateway_.keepsTrying || !gateway_.keepsTrying())
        return;
    outage_ = true;
    outageStart_ = lost_ ? lostAt_ : now;
    lastCount_ = now;
    failedAttempts_ = 1;
    log_(LogPriority::Warning,
         "Outage: no connection to the server; the gateway keeps trying and logs a count every "
         "minute until it connects");
}

void CConsoleEvents::Connected(const std::string& host, int port) {
    connectedInAttempt_ = true;
    lost_ = false;
    if (outage_) {
        outage_ = false;
        log_(LogPriority::Info, "Outage over after " + Duration(clock_.Ticks() - outageStart_) +
                                    " and " + std::to_string(failedAttempts_) + " failed attempts");
    }
    log_(LogPriority::Info, "Connected to " + host + ":" + std::to_string(port));
}

void CConsoleEvents::Disconnected(bool byUser) {
    members_.clear();
    if (byUser) {
        log_(LogPriority::Info, "Disconnected");
        return;
    }
    lost_ = true;
    lostAt_ = clock_.Ticks();
    log_(LogPriority::Warning, "Connection lost");
    if (gateway_.autoReconnect && !gateway_.autoReconnect())
        log_(LogPriority::Warning, "Auto-Reconnect is off (RECO=0 in [Tavro_CLIENT]): the "
                                   "gateway will not reconnect");
}

void CConsoleEvents::Joined(const std::string& room, const std::string& callsign) {
    // A new room's first list is logged whole.
    members_.clear();
    log_(LogPriority::Info, "Joining room " + room + " as " + callsign);
}

// The first list of a room, and an empty one, are logged whole; after that
// only who joined, who left and whose comment changed.
void CConsoleEvents::MembersChanged(const std::vector<std::string>& lines) {
    if (members_.empty() || lines.empty()) {
        std::string text = "Members (" + std::to_string(lines.size()) + "):";
        for (const std::string& line : lines)
            text += " " + Described(line) + ",";
        if (!lines.empty())
            text.pop_back();
        log_(LogPriority::Info, text);
        members_ = lines;
        return;
    }
    for (const std::string& line : members_)
        if (!FindMember(lines, NameOf(line)))
            log_(LogPriority::Info, NameOf(line) + " left the room");
    for (const std::string& line : lines) {
        const std::string* before = FindMember(members_, NameOf(line));
        if (!before)
            log_(LogPriority::Info, Described(line) + " joined the room");
        else if (*before != line)
            log_(LogPriority::Info, "Now " + Described(line));
    }
    members_ = lines;
}

void CConsoleEvents::TalkerChanged(const std::string& talker) {
    log_(LogPriority::Info, talker.empty() ? "Talker: nobody" : "Talker: " + talker);
}

void CConsoleEvents::KeyingChanged(bool keyed) {
    log_(LogPriority::Info, keyed ? "Transmitter keyed" : "Transmitter released");
}

// The client logs the errors that a window shows in a box as notes that
// begin "Error: ".
void CConsoleEvents::Note(const std::string& line) {
    if (HoldsAttemptLines())
        return;
    log_(line.starts_with("Error: ") ? LogPriority::Error : LogPriority::Info, OneLine(line));
}

void CConsoleEvents::Warning(const std::string& line) {
    if (HoldsAttemptLines()) {
        lastFailure_ = line;
        return;
    }
    lastFailure_ = line;
    log_(LogPriority::Warning, OneLine(line));
}
