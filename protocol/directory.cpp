#include "protocol/directory.h"

#include <utility>

namespace {

// Reads an update list of any level: the count, then the entries. A count of
// 0 leaves the update absent and a negative count gives an empty one. Any
// failing entry discards everything built so far.
template <class Update>
bool ReadUpdateList(CSocketStream& s, const CStopFlag& stop, std::unique_ptr<Update>& update,
                    int& err) {
    using Entry = typename decltype(Update::entries)::value_type::element_type;
    update.reset();
    int32_t count = 0;
    if (!ReadInt32(s, stop, count, err))
        return false;
    if (count > kMaxListCount) {
        err = kErrOutOfBounds;
        return false;
    }
    if (count == 0)
        return true;
    auto built = std::make_unique<Update>();
    for (int32_t i = 0; i < count; ++i) {
        if (!ChargeBudget(s, sizeof(Entry), err))
            return false;
        auto entry = std::make_unique<Entry>();
        if (!entry->Read(s, stop, err))
            return false;
        built->entries.push_back(std::move(entry));
    }
    update = std::move(built);
    return true;
}

template <class Update> void EncodeUpdateList(const Update& update, CByteWriter& out) {
    out.Int32(int32_t(update.entries.size()));
    for (const auto& entry : update.entries)
        entry->Encode(out);
}

// A nested update; an absent one is written as a count of 0.
template <class Update> void EncodeNested(const Update* update, CByteWriter& out) {
    if (update)
        EncodeUpdateList(*update, out);
    else
        out.Int32(0);
}

template <class Update> size_t SumEstimatedSizes(const Update& update) {
    size_t total = 0;
    for (const auto& entry : update.entries)
        total += entry->EstimatedSize();
    return total;
}

bool KindOutOfRange(int32_t kind, int32_t last, int& err) {
    if (kind >= 0 && kind <= last)
        return false;
    err = kErrOutOfBounds;
    return true;
}

} // namespace

// ---- users

bool CUserMsg::Read(CSocketStream& s, const CStopFlag& stop, int& err) {
    if (!ReadInt32(s, stop, kind, err) || KindOutOfRange(kind, kUserClearAll, err))
        return false;
    if (kind == kUserAdd)
        return ReadString(s, stop, user.name, err) && ReadString(s, stop, user.description, err) &&
               ReadByte(s, stop, user.talking, err);
    if (kind != kUserClearAll)
        return ReadString(s, stop, user.name, err);
    return true;
}

void CUserMsg::Encode(CByteWriter& out) const {
    out.Int32(kind);
    if (kind == kUserAdd) {
        out.String(user.name);
        out.String(user.description);
        out.Byte(user.talking);
    } else if (kind >= kUserRemove && kind <= kUserTalkStop) {
        out.String(user.name);
    }
}

size_t CUserMsg::EstimatedSize() const {
    if (kind == kUserAdd)
        return user.name.size() + user.description.size() + 4;
    if (kind >= kUserRemove && kind <= kUserTalkStop)
        return user.name.size() + 2;
    return 1;
}

void CUserListUpdateMsg::AddUser(const std::string& name, const std::string& description,
                                 bool talking) {
    auto entry = std::make_unique<CUserMsg>();
    entry->kind = kUserAdd;
    entry->user.name = name;
    entry->user.description = description;
    entry->user.talking = talking ? 1 : 0;
    entries.push_back(std::move(entry));
}

void CUserListUpdateMsg::RemoveUser(const std::string& name) {
    auto entry = std::make_unique<CUserMsg>();
    entry->kind = kUserRemove;
    entry->user.name = name;
    entries.push_back(std::move(entry));
}

void CUserListUpdateMsg::SetTalking(const std::string& name, bool on) {
    auto entry = std::make_unique<CUserMsg>();
    entry->kind = on ? kUserTalkStart : kUserTalkStop;
    entry->user.name = name;
    entries.push_back(std::move(entry));
}

void CUserListUpdateMsg::ClearAll() {
    auto entry = std::make_unique<CUserMsg>();
    entry->kind = kUserClearAll;
    entries.push_back(std::move(entry));
}

size_t CUserListUpdateMsg::EstimatedSize() const {
    return SumEstimatedSizes(*this);
}

bool CUserListUpdateMsg::Read(CSocketStream& s, const CStopFlag& stop,
                              std::unique_ptr<CUserListUpdateMsg>& update, int& err) {
    return ReadUpdateList(s, stop, update, err);
}

void CUserListUpdateMsg::Encode(CByteWriter& out) const {
    EncodeUpdateList(*this, out);
}

void CUserInfoList::ApplyUpdate(const CUserListUpdateMsg* update) {
    if (!update)
        return;
    std::lock_guard guard(mutex_);
    for (const auto& entry : update->entries) {
        const CUserInfo& user = entry->user;
        switch (entry->kind) {
        case kUserAdd:
            if (CUserInfo* found = Find(user.name))
                *found = user;
            else
                items_.push_back(std::make_unique<CUserInfo>(user));
            break;
        case kUserRemove:
            RemoveUnlocked(user.name);
            break;
        case kUserTalkStart:
        case kUserTalkStop:
            if (CUserInfo* found = Find(user.name))
                found->talking = entry->kind == kUserTalkStart ? 1 : 0;
            break;
        case kUserClearAll:
            items_.clear();
            break;
        }
    }
}

void CUserInfoList::RemoveAll() {
    std::lock_guard guard(mutex_);
    items_.clear();
}

void CUserInfoList::CopyFrom(CUserInfoList& other) {
    if (&other == this)
        return;
    std::scoped_lock guard(mutex_, other.mutex_);
    items_.clear();
    for (const auto& user : other.items_)
        items_.push_back(std::make_unique<CUserInfo>(*user));
}

// ---- rooms

bool CRoomMsg::Read(CSocketStream& s, const CStopFlag& stop, int& err) {
    if (!ReadInt32(s, stop, kind, err) || KindOutOfRange(kind, kRoomClearAll, err))
        return false;
    if (kind == kRoomUpdate)
        return ReadString(s, stop, name, err) && CUserListUpdateMsg::Read(s, stop, users, err);
    if (kind == kRoomRemove)
        return ReadString(s, stop, name, err);
    return true;
}

void CRoomMsg::Encode(CByteWriter& out) const {
    out.Int32(kind);
    if (kind == kRoomUpdate) {
        out.String(name);
        EncodeNested(users.get(), out);
    } else if (kind == kRoomRemove) {
        out.String(name);
    }
}

size_t CRoomMsg::EstimatedSize() const {
    if (kind == kRoomUpdate)
        return name.size() + 2 + (users ? users->EstimatedSize() : 0);
    if (kind == kRoomRemove)
        return name.size() + 2;
    return 1;
}

size_t CRoomListUpdateMsg::EstimatedSize() const {
    return SumEstimatedSizes(*this);
}

bool CRoomListUpdateMsg::Read(CSocketStream& s, const CStopFlag& stop,
                              std::unique_ptr<CRoomListUpdateMsg>& update, int& err) {
    return ReadUpdateList(s, stop, update, err);
}

void CRoomListUpdateMsg::Encode(CByteWriter& out) const {
    EncodeUpdateList(*this, out);
}

void CRoomInfoList::ApplyUpdate(const CRoomListUpdateMsg* update) {
    if (!update)
        return;
    std::lock_guard guard(mutex_);
    for (const auto& entry : update->entries) {
        switch (entry->kind) {
        case kRoomUpdate:
            if (CRoomInfo* found = Find(entry->name)) {
                found->users.ApplyUpdate(entry->users.get());
            } else {
                auto room = std::make_unique<CRoomInfo>();
                room->name = entry->name;
                room->users.ApplyUpdate(entry->users.get());
                items_.push_back(std::move(room));
            }
            break;
        case kRoomRemove:
            RemoveUnlocked(entry->name);
            break;
        case kRoomClearAll:
            items_.clear();
            break;
        }
    }
}

// ---- servers

bool CServerMsg::Read(CSocketStream& s, const CStopFlag& stop, int& err) {
    if (!ReadInt32(s, stop, kind, err) || KindOutOfRange(kind, kServerClearAll, err))
        return false;
    if (kind == kServerUpdate)
        return ReadString(s, stop, name, err) && ReadInt32(s, stop, value, err) &&
               CRoomListUpdateMsg::Read(s, stop, rooms, err);
    if (kind == kServerRemove)
        return ReadString(s, stop, name, err);
    return true;
}

void CServerMsg::Encode(CByteWriter& out) const {
    out.Int32(kind);
    if (kind == kServerUpdate) {
        out.String(name);
        out.Int32(value);
        EncodeNested(rooms.get(), out);
    } else if (kind == kServerRemove) {
        out.String(name);
    }
}

size_t CServerMsg::EstimatedSize() const {
    if (kind == kServerUpdate)
        return name.size() + 2 + (rooms ? rooms->EstimatedSize() : 0);
    if (kind == kServerRemove)
        return name.size() + 2;
    return 1;
}

size_t CServerListUpdateMsg::EstimatedSize() const {
    return SumEstimatedSizes(*this);
}

bool CServerListUpdateMsg::Read(CSocketStream& s, const CStopFlag& stop,
                                std::unique_ptr<CServerListUpdateMsg>& update, int& err) {
    return ReadUpdateList(s, stop, update, err);
}

void CServerListUpdateMsg::Encode(CByteWriter& out) const {
    EncodeUpdateList(*this, out);
}

void CServerInfoList::ApplyUpdate(const CServerListUpdateMsg* update) {
    if (!update)
        return;
    std::lock_guard guard(mutex_);
    for (const auto& entry : update->entries) {
        switch (entry->kind) {
        case kServerUpdate:
            if (CServerInfo* found = Find(entry->name)) {
                found->rooms.ApplyUpdate(entry->rooms.get());
            } else {
                auto server = std::make_unique<CServerInfo>();
                server->name = entry->name;
                server->value = entry->value;
                server->rooms.ApplyUpdate(entry->rooms.get());
                items_.push_back(std::move(server));
            }
            break;
        case kServerRemove:
            RemoveUnlocked(entry->name);
            break;
        case kServerClearAll:
            items_.clear();
            break;
        }
    }
}
