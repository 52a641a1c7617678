#pragma once

#include <string>
#include <vector>

// What a person would watch in the window, reported as events (headless mode
// logs one line per event).
class IClientEvents {
public:
    virtual ~IClientEvents() = default;
    // A connect attempt began (true) or ended (false), whether or not it connected.
    virtual void ConnectAttemptChanged(bool running) = 0;
    virtual void Connected(const std::string& host, int port) = 0;
    virtual void Disconnected(bool byUser) = 0;
    virtual void Joined(const std::string& room, const std::string& callsign) = 0;
    virtual void MembersChanged(const std::vector<std::string>& lines) = 0;
    virtual void TalkerChanged(const std::string& talker) = 0;
    virtual void KeyingChanged(bool keyed) = 0;
    virtual void Note(const std::string& line) = 0;
    // Something went wrong that the gateway rides out (a connect that
    // failed, a connection that ended by itself): a note that a log marks
    // as a warning.
    virtual void Warning(const std::string& line) { Note(line); }
};
