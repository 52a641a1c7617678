#pragma once

#include "client/client_events.h"

#include <algorithm>
#include <string>
#include <vector>

// Hands every event on to each of its receivers, in the order they were added.
// Used on the UI thread, where the client reports.
class CClientEventsFanOut : public IClientEvents {
public:
    void Add(IClientEvents* receiver) { receivers_.push_back(receiver); }
    void Remove(IClientEvents* receiver) {
        receivers_.erase(std::remove(receivers_.begin(), receivers_.end(), receiver),
                         receivers_.end());
    }

    void ConnectAttemptChanged(bool running) override {
        for (IClientEvents* r : receivers_)
            r->ConnectAttemptChanged(running);
    }
    void Connected(const std::string& host, int port) override {
        for (IClientEvents* r : receivers_)
            r->Connected(host, port);
    }
    void Disconnected(bool byUser) override {
        for (IClientEvents* r : receivers_)
            r->Disconnected(byUser);
    }
    void Joined(const std::string& room, const std::string& callsign) override {
        for (IClientEvents* r : receivers_)
            r->Joined(room, callsign);
    }
    void MembersChanged(const std::vector<std::string>& lines) override {
        for (IClientEvents* r : receivers_)
            r->MembersChanged(lines);
    }
    void TalkerChanged(const std::string& talker) override {
        for (IClientEvents* r : receivers_)
            r->TalkerChanged(talker);
    }
    void KeyingChanged(bool keyed) override {
        for (IClientEvents* r : receivers_)
            r->KeyingChanged(keyed);
    }
    void Note(const std::string& line) override {
        for (IClientEvents* r : receivers_)
            r->Note(line);
    }
    void Warning(const std::string& line) override {
        for (IClientEvents* r : receivers_)
            r->Warning(line);
    }

private:
    std::vector<IClientEvents*> receivers_;
};
