#pragma once

#include "protocol/directory.h"
#include "protocol/msg.h"

#include <memory>
#include <string>
#include <vector>

// The full member list of the station's room (command 5): a count N, then N
// names, then N descriptions.
class CRoomListMessage : public CMsg {
public:
    CRoomListMessage() : CMsg(kCmdRoomList) {}

    bool Read(CSocketStream& s, const CStopFlag& stop, int& err) override;
    std::string Describe() const override;
    void Encode(CByteWriter& out) const override;

    std::vector<std::string> names;
    std::vector<std::string> descriptions; // one per name
};

// The rooms that exist on the server (command 20).
class CActiveRoomsMessage : public CMsg {
public:
    CActiveRoomsMessage() : CMsg(kCmdActiveRooms) {}

    bool Read(CSocketStream& s, const CStopFlag& stop, int& err) override;
    std::string Describe() const override;
    void Encode(CByteWriter& out) const override;

    std::vector<std::string> rooms;
};

// An incremental change to the room's member list (command 22). Without an
// update nothing at all goes on the wire.
class COptUserListMessage : public CMsg {
public:
    COptUserListMessage() : CMsg(kCmdOptUserList) {}

    bool Read(CSocketStream& s, const CStopFlag& stop, int& err) override;
    std::string Describe() const override;
    void Encode(CByteWriter& out) const override;

    std::unique_ptr<CUserListUpdateMsg> update; // may be absent
};
