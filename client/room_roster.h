#pragma once

#include <mutex>
#include <string>
#include <vector>

class CUserInfoList;

// The room's members and the current talker, as the receive thread learns
// them and the window shows them. Every call takes the display lock on its
// own, so no caller ever holds it while doing anything else.
class CRoomRoster {
public:
    struct Snapshot {
        std::vector<std::string> names, descriptions; // always of equal length
        std::string talker;
    };

    // A full member list (command 5): names with their descriptions.
    void SetMembers(std::vector<std::string> names, std::vector<std::string> descriptions);
    // The members of a directory list, the talker being the one marked talking
    // (or nobody).
    void SetMembers(CUserInfoList& members);
    void SetTalker(std::string talker);
    void Clear();

    Snapshot Get() const;
    std::string Talker() const;
    // The floor rule for one captured packet of the station `callsign`.
    bool MayTalk(const std::string& callsign, bool silent) const;

private:
    mutable std::mutex displayLock_;
    Snapshot state_;
};
