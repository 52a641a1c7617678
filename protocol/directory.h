#pragma once

#include "protocol/wire_io.h"

#include <cstddef>
#include <cstdint>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

// The directory of users, rooms and servers, and the update lists in which
// changes to it travel. Update lists are read whole or not at all: a failed
// read leaves the owner's pointer empty.

// An ordered list of owned records keyed by their exact, case-sensitive name,
// with the lock that guards it. Changes take the lock themselves; Find and
// Items do not, so a reader holds the lock (Lock, or std::lock_guard on the
// list) while it reads and while it uses what it found.
template <class T> class CNamedRecordList {
public:
    CNamedRecordList() = default;
    CNamedRecordList(const CNamedRecordList&) = delete;
    CNamedRecordList& operator=(const CNamedRecordList&) = delete;

    void Lock() { mutex_.lock(); }
    void Unlock() { mutex_.unlock(); }
    void lock() { mutex_.lock(); }
    void unlock() { mutex_.unlock(); }

    T* Find(const std::string& name) const {
        for (const auto& item : items_)
            if (item->name == name)
                return item.get();
        return nullptr;
    }
    const std::vector<std::unique_ptr<T>>& Items() const { return items_; }

protected:
    void RemoveUnlocked(const std::string& name) {
        std::erase_if(items_, [&](const auto& item) { return item->name == name; });
    }

    std::mutex mutex_;
    std::vector<std::unique_ptr<T>> items_;
};

// ---- users

// One station in a room.
struct CUserInfo {
    uint8_t talking = 0; // 1 while the server relays this station's audio
    std::string description;
    std::string name; // the key
};

enum UserMsgKind : int32_t {
    kUserAdd = 0,       // add, or replace the record of that name
    kUserRemove = 1,    // remove by name
    kUserTalkStart = 2, // set talking
    kUserTalkStop = 3,  // clear talking
    kUserClearAll = 4,  // remove all users
};

// One change to a user list.
struct CUserMsg {
    bool Read(CSocketStream& s, const CStopFlag& stop, int& err);
    void Encode(CByteWriter& out) const;
    size_t EstimatedSize() const;

    int32_t kind = kUserAdd;
    CUserInfo user;
};

// An ordered list of user changes. On the wire: a count, then the entries.
class CUserListUpdateMsg {
public:
    void AddUser(const std::string& name, const std::string& description, bool talking);
    void RemoveUser(const std::string& name);
    void SetTalking(const std::string& name, bool on);
    void ClearAll();
    // The size used in descriptions; not the size on the wire.
    size_t EstimatedSize() const;

    // Replaces update with what the stream holds: nothing for a count of 0,
    // an empty update for a negative count. On failure update stays empty.
    static bool Read(CSocketStream& s, const CStopFlag& stop,
                     std::unique_ptr<CUserListUpdateMsg>& update, int& err);
    void Encode(CByteWriter& out) const;

    std::vector<std::unique_ptr<CUserMsg>> entries;
};

// The members of a room, in the order in which they were added.
class CUserInfoList : public CNamedRecordList<CUserInfo> {
public:
    // Applies the entries in order with the lock held; null is ignored.
    // Names that are not in the list are skipped.
    void ApplyUpdate(const CUserListUpdateMsg* update);
    void RemoveAll();
    // Replaces the records with copies of the other list's records.
    void CopyFrom(CUserInfoList& other);
};

// ---- rooms

struct CRoomInfo {
    CUserInfoList users;
    std::string name; // the key
};

enum RoomMsgKind : int32_t {
    kRoomUpdate = 0,   // add the room or apply its user changes
    kRoomRemove = 1,   // remove by name
    kRoomClearAll = 2, // remove all rooms
};

// One change to a room list.
struct CRoomMsg {
    bool Read(CSocketStream& s, const CStopFlag& stop, int& err);
    void Encode(CByteWriter& out) const;
    size_t EstimatedSize() const;

    int32_t kind = kRoomUpdate;
    std::string name;
    std::unique_ptr<CUserListUpdateMsg> users; // may be absent
};

class CRoomListUpdateMsg {
public:
    size_t EstimatedSize() const;
    static bool Read(CSocketStream& s, const CStopFlag& stop,
                     std::unique_ptr<CRoomListUpdateMsg>& update, int& err);
    void Encode(CByteWriter& out) const;

    std::vector<std::unique_ptr<CRoomMsg>> entries;
};

class CRoomInfoList : public CNamedRecordList<CRoomInfo> {
public:
    void ApplyUpdate(const CRoomListUpdateMsg* update);
};

// ---- servers

struct CServerInfo {
    CRoomInfoList rooms;
    int32_t value = 0; // carried with the entry; no meaning to the client
    std::string name;  // the key
};

enum ServerMsgKind : int32_t {
    kServerUpdate = 0,   // add the server or apply its room changes
    kServerRemove = 1,   // remove by name
    kServerClearAll = 2, // remove all servers
};

// One change to a server list.
struct CServerMsg {
    bool Read(CSocketStream& s, const CStopFlag& stop, int& err);
    void Encode(CByteWriter& out) const;
    size_t EstimatedSize() const;

    int32_t value = 0;
    int32_t kind = kServerUpdate;
    std::string name;
    std::unique_ptr<CRoomListUpdateMsg> rooms; // may be absent
};

class CServerListUpdateMsg {
public:
    size_t EstimatedSize() const;
    static bool Read(CSocketStream& s, const CStopFlag& stop,
                     std::unique_ptr<CServerListUpdateMsg>& update, int& err);
    void Encode(CByteWriter& out) const;

    std::vector<std::unique_ptr<CServerMsg>> entries;
};

class CServerInfoList : public CNamedRecordList<CServerInfo> {
public:
    void ApplyUpdate(const CServerListUpdateMsg* update);
};
