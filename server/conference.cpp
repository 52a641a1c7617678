#include "server/conference.h"

#include <algorithm>

namespace {
// A talker that sends this many Silence messages in a row has ended its turn.
constexpr int kSilencesToRelease = 15;

std::string Quoted(const std::string& text) {
    return "\"" + text + "\"";
}
} // namespace

CConference::CConference(Clock::duration floorTimeout, CServerLog& log,
                         std::function<void()> floorGranted)
    : floorTimeout_(floorTimeout), log_(log), floorGranted_(std::move(floorGranted)) {}

std::shared_ptr<CStation> CConference::Join(const std::shared_ptr<CStation>& station,
                                            const CJoinMessage& join) {
    std::lock_guard lock(mutex_);
    // A station being hung up must not come back in (see CStandInServer::Drop).
    if (station->IsClosing())
        return nullptr;
    const std::vector<std::string> roomsBefore = ActiveRooms();
    std::shared_ptr<CStation> displaced;
    for (const auto& [key, member] : members_) {
        if (key != station.get() && member.callSign == join.callSign) {
            displaced = member.station;
            break;
        }
    }
    // The old connection goes first, so that no member list ever holds the
    // call sign twice (lists are keyed by name).
    if (displaced)
        LeaveLocked(*displaced);
    LeaveLocked(*station);

    Member& member = members_[station.get()];
    member = {station, join.callSign, join.comment, join.room,
              join.command == kCmdJoinWithPassword};
    Room& room = rooms_[join.room];
    room.members.push_back(station.get());
    log_(station->Label() + " joined room " + Quoted(join.room) + " with command " +
         std::to_string(join.command) + ", version " + std::to_string(station->Version()));

    SendMemberList(room, member);
    if (room.talker)
        station->Send(MakeTalking(members_.at(room.talker).callSign));
    SendChange(room, station.get(), MakeUserUpdate([&](CUserListUpdateMsg& u) {
                   u.AddUser(member.callSign, member.comment, false);
               }),
               true);

    std::vector<std::string> roomsAfter = ActiveRooms();
    const SharedMsg activeRooms = MakeActiveRooms(roomsAfter);
    if (roomsAfter != roomsBefore) {
        for (const auto& [key, other] : members_)
            other.station->Send(activeRooms);
    } else {
        station->Send(activeRooms);
    }
    return displaced;
}

bool CConference::Leave(const CStation& station) {
    std::lock_guard lock(mutex_);
    if (!members_.contains(&station))
        return false;
    const std::vector<std::string> roomsBefore = ActiveRooms();
    LeaveLocked(station);
    std::vector<std::string> roomsAfter = ActiveRooms();
    if (roomsAfter != roomsBefore) {
        const SharedMsg activeRooms = MakeActiveRooms(std::move(roomsAfter));
        for (const auto& [key, member] : members_)
            member.station->Send(activeRooms);
    }
    return true;
}

void CConference::LeaveLocked(const CStation& station) {
    const auto found = members_.find(&station);
    if (found == members_.end())
        return;
    const Member& member = found->second;
    const auto roomIt = rooms_.find(member.room);
    Room& room = roomIt->second;
    std::erase(room.members, &station);
    log_(station.Label() + " left room " + Quoted(member.room));
    if (room.members.empty()) {
        rooms_.erase(roomIt);
    } else {
        if (room.talker == &station)
            ReleaseLocked(member.room, room, "the talker left");
        SendChange(room, nullptr,
                   MakeUserUpdate([&](CUserListUpdateMsg& u) { u.RemoveUser(member.callSign); }),
                   true);
    }
    members_.erase(found);
}

void CConference::OnAudio(const CStation& station, std::shared_ptr<const CSoundMessage> message,
                          Clock::time_point now) {
    std::lock_guard lock(mutex_);
    const auto found = members_.find(&station);
    if (found == members_.end())
        return;
    const Member& member = found->second;
    Room& room = rooms_.at(member.room);
    if (!room.talker && message->command == kCmdSound) {
        room.talker = &station;
        room.silences = 0;
        log_(station.Label() + " has the floor in room " + Quoted(member.room));
        SendToRoom(room, MakeTalking(member.callSign));
        SendChange(room, nullptr, MakeUserUpdate([&](CUserListUpdateMsg& u) {
                       u.SetTalking(member.callSign, true);
                   }),
                   false);
        floorGranted_();
    }
    if (room.talker != &station)
        return;
    room.lastAudio = now;
    room.silences = message->command == kCmdSilence ? room.silences + 1 : 0;
    const SharedMsg filler = MakeFiller(*message);
    for (const CStation* listener : room.members) {
        if (listener == &station)
            continue;
        const std::shared_ptr<CStation>& to = members_.at(listener).station;
        to->Send(message);
        to->Send(filler);
    }
    if (room.silences >= kSilencesToRelease)
        ReleaseLocked(member.room, room, std::to_string(kSilencesToRelease) + " silences");
}

void CConference::OnEndTx(const CStation& station) {
    std::lock_guard lock(mutex_);
    const auto found = members_.find(&station);
    if (found == members_.end())
        return;
    Room& room = rooms_.at(found->second.room);
    if (room.talker == &station)
        ReleaseLocked(found->second.room, room, "End TX");
}

CConference::Clock::time_point CConference::ReleaseStaleFloors(Clock::time_point now) {
    std::lock_guard lock(mutex_);
    Clock::time_point next = Clock::time_point::max();
    for (auto& [name, room] : rooms_) {
        if (!room.talker)
            continue;
        const Clock::time_point expiry = room.lastAudio + floorTimeout_;
        if (now >= expiry)
            ReleaseLocked(name, room, "no audio");
        else
            next = std::min(next, expiry);
    }
    return next;
}

size_t CConference::SendToMembers(const SharedMsg& message) {
    std::lock_guard lock(mutex_);
    for (const auto& [key, member] : members_)
        member.station->Send(message);
    return members_.size();
}

std::vector<CConference::MemberStatus> CConference::Members() {
    std::lock_guard lock(mutex_);
    std::vector<MemberStatus> all;
    for (const auto& [name, room] : rooms_) {
        for (const CStation* key : room.members) {
            const Member& member = members_.at(key);
            all.push_back({member.station, name, member.callSign, key == room.talker});
        }
    }
    return all;
}

void CConference::Clear() {
    std::lock_guard lock(mutex_);
    members_.clear();
    rooms_.clear();
}

void CConference::ReleaseLocked(const std::string& roomName, Room& room,
                                const std::string& reason) {
    const CStation* talker = room.talker;
    room.talker = nullptr;
    const std::string& callSign = members_.at(talker).callSign;
    log_(talker->Label() + " lost the floor in room " + Quoted(roomName) + " (" + reason + ")");
    SendToRoom(room, MakeTalking(""));
    SendChange(room, nullptr,
               MakeUserUpdate([&](CUserListUpdateMsg& u) { u.SetTalking(callSign, false); }),
               false);
    SendToRoom(room, MakeCommand(kCmdCourtesy));
}

void CConference::SendMemberList(const Room& room, const Member& to) {
    if (!to.wantsUpdates) {
        to.station->Send(RoomList(room));
        return;
    }
    to.station->Send(MakeUserUpdate([&](CUserListUpdateMsg& u) {
        u.ClearAll();
        for (const CStation* key : room.members) {
            const Member& m = members_.at(key);
            u.AddUser(m.callSign, m.comment, key == room.talker);
        }
    }));
}

void CConference::SendChange(const Room& room, const CStation* except, const SharedMsg& update,
                             bool membershipChanged) {
    SharedMsg fullList;
    for (const CStation* key : room.members) {
        if (key == except)
            continue;
        const Member& member = members_.at(key);
        if (member.wantsUpdates) {
            member.station->Send(update);
        } else if (membershipChanged) {
            // Command-4 stations know no updates: they get the whole list,
            // built once for all of them.
            if (!fullList)
                fullList = RoomList(room);
            member.station->Send(fullList);
        }
    }
}

SharedMsg CConference::RoomList(const Room& room) const {
    std::vector<std::string> names, descriptions;
    for (const CStation* key : room.members) {
        names.push_back(members_.at(key).callSign);
        descriptions.push_back(members_.at(key).comment);
    }
    return MakeRoomList(std::move(names), std::move(descriptions));
}

void CConference::SendToRoom(const Room& room, const SharedMsg& message) {
    for (const CStation* key : room.members)
        members_.at(key).station->Send(message);
}

std::vector<std::string> CConference::ActiveRooms() const {
    std::vector<std::string> names;
    for (const auto& [name, room] : rooms_)
        names.push_back(name);
    return names;
}
