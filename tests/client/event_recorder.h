#pragma once

#include "client/client_events.h"

#include <algorithm>
#include <string>
#include <vector>

// Records what the client reports, in order. The client reports on the UI
// thread, where the tests read the record too.
class CEventRecorder : public IClientEvents {
public:
    struct Connection {
        std::string host;
        int port = 0;
    };
    struct Join {
        std::string room, callsign;
    };

    void ConnectAttemptChanged(bool running) override { attempts.push_back(running); }
    void Connected(const std::string& host, int port) override {
        connections.push_back({host, port});
    }
    void Disconnected(bool byUser) override { disconnections.push_back(byUser); }
    void Joined(const std::string& room, const std::string& callsign) override {
        joins.push_back({room, callsign});
    }
    void MembersChanged(const std::vector<std::string>& lines) override {
        memberLists.push_back(lines);
    }
    void TalkerChanged(const std::string& talker) override { talkers.push_back(talker); }
    void KeyingChanged(bool keyed) override { keyings.push_back(keyed); }
    void Note(const std::string& line) override { notes.push_back(line); }

    // Notes that begin with prefix.
    size_t NotesStartingWith(const std::string& prefix) const {
        return size_t(std::count_if(notes.begin(), notes.end(), [&](const std::string& note) {
            return note.rfind(prefix, 0) == 0;
        }));
    }

    std::vector<bool> attempts;
    std::vector<Connection> connections;
    std::vector<bool> disconnections;
    std::vector<Join> joins;
    std::vector<std::vector<std::string>> memberLists;
    std::vector<std::string> talkers;
    std::vector<bool> keyings;
    std::vector<std::string> notes;
};
