#pragma once

#include "protocol/conference_messages.h"
#include "server/message_builders.h"
#include "server/server_log.h"
#include "server/station.h"

#include <chrono>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

// The rooms and who is in them, and the floor of each room: which station's
// audio is relayed to the others. Everything here only queues messages, so
// the lock is never held across a socket write.
class CConference {
public:
    using Clock = std::chrono::steady_clock;

    // floorGranted is called (with the lock held) whenever a station takes a
    // floor, since that sets a new release deadline.
    CConference(Clock::duration floorTimeout, CServerLog& log, std::function<void()> floorGranted);

    // Puts the station in the join's room, leaving its previous room. The
    // newcomer gets the member list: command-22 updates for a command-26
    // join, the command-5 list for a command-4 join; the room's others hear
    // of it the same way. Returns the station that had joined with the same
    // call sign before, which has left its room and which the caller hangs up.
    // A station that is closing stays out.
    std::shared_ptr<CStation> Join(const std::shared_ptr<CStation>& station,
                                   const CJoinMessage& join);
    // Takes the station out of its room; false when it was in none.
    bool Leave(const CStation& station);
    // Sound or Silence from a station. Sound while nobody in the room talks
    // gives the station the floor; the talker's audio goes to the others.
    void OnAudio(const CStation& station, std::shared_ptr<const CSoundMessage> message,
                 Clock::time_point now);
    void OnEndTx(const CStation& station);
    // Takes the floor from talkers that sent no audio for the floor timeout.
    // Returns when the next floor may expire (time_point::max() for never).
    Clock::time_point ReleaseStaleFloors(Clock::time_point now);
    // Queues the message to every station in a room; returns how many.
    size_t SendToMembers(const SharedMsg& message);

    struct MemberStatus {
        std::shared_ptr<CStation> station;
        std::string room, callSign;
        bool talking = false;
    };
    // Every station in a room, by room name and then in joining order.
    std::vector<MemberStatus> Members();
    void Clear();

private:
    struct Member {
        std::shared_ptr<CStation> station;
        std::string callSign, comment, room;
        bool wantsUpdates = false; // joined with command 26
    };
    struct Room {
        std::vector<const CStation*> members; // in joining order
        const CStation* talker = nullptr;
        Clock::time_point lastAudio;
        int silences = 0; // in a row from the talker
    };

    void LeaveLocked(const CStation& station);
    void ReleaseLocked(const std::string& roomName, Room& room, const std::string& reason);
    void SendMemberList(const Room& room, const Member& to);
    // Tells the room's members (but except) of a change: command-26 members
    // get the update; command-4 members get the whole list again when the
    // membership changed.
    void SendChange(const Room& room, const CStation* except, const SharedMsg& update,
                    bool membershipChanged);
    void SendToRoom(const Room& room, const SharedMsg& message);
    // The command-5 list of the room's members.
    SharedMsg RoomList(const Room& room) const;
    std::vector<std::string> ActiveRooms() const;

    const Clock::duration floorTimeout_;
    CServerLog& log_;
    const std::function<void()> floorGranted_;
    std::mutex mutex_;
    std::map<const CStation*, Member> members_;
    std::map<std::string, Room> rooms_; // only rooms with members; sorted by name
};
