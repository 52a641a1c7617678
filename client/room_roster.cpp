#include "client/room_roster.h"

#include "audio/sound_host.h"
#include "protocol/directory.h"

void CRoomRoster::SetMembers(std::vector<std::string> names,
                             std::vector<std::string> descriptions) {
    descriptions.resize(names.size());
    std::lock_guard<std::mutex> guard(displayLock_);
    state_.names = std::move(names);
    state_.descriptions = std::move(descriptions);
}

void CRoomRoster::SetMembers(CUserInfoList& members) {
    Snapshot next;
    {
        std::lock_guard<CUserInfoList> listGuard(members);
        for (const auto& user : members.Items()) {
            next.names.push_back(user->name);
            next.descriptions.push_back(user->description);
            if (user->talking)
                next.talker = user->name;
        }
    }
    std::lock_guard<std::mutex> guard(displayLock_);
    state_ = std::move(next);
}

void CRoomRoster::SetTalker(std::string talker) {
    std::lock_guard<std::mutex> guard(displayLock_);
    state_.talker = std::move(talker);
}

void CRoomRoster::Clear() {
    std::lock_guard<std::mutex> guard(displayLock_);
    state_ = Snapshot{};
}

CRoomRoster::Snapshot CRoomRoster::Get() const {
    std::lock_guard<std::mutex> guard(displayLock_);
    return state_;
}

std::string CRoomRoster::Talker() const {
    std::lock_guard<std::mutex> guard(displayLock_);
    return state_.talker;
}

bool CRoomRoster::MayTalk(const std::string& callsign, bool silent) const {
    std::lock_guard<std::mutex> guard(displayLock_);
    return MayTalkOnFloor(state_.talker, callsign, silent);
}
