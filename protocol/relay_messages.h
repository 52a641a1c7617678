#pragma once

#include "protocol/directory.h"
#include "protocol/msg.h"

#include <cstdint>
#include <memory>
#include <string>

// Sets up a link to the web server (command 24): under a name and port when
// named is non-zero, otherwise as a listener.
class CConnectToWebServerMessage : public CMsg {
public:
    CConnectToWebServerMessage() : CMsg(kCmdConnectToWebServer) {}

    bool Read(CSocketStream& s, const CStopFlag& stop, int& err) override;
    std::string Describe() const override;
    void Encode(CByteWriter& out) const override;

    uint8_t named = 0;
    std::string name;
    int32_t port = 0;
};

// A room directory for the web server (command 23). Without an update
// nothing at all goes on the wire.
class CRoomListToWebServerMessage : public CMsg {
public:
    CRoomListToWebServerMessage() : CMsg(kCmdRoomListToWebServer) {}

    bool Read(CSocketStream& s, const CStopFlag& stop, int& err) override;
    std::string Describe() const override;
    void Encode(CByteWriter& out) const override;

    std::unique_ptr<CRoomListUpdateMsg> rooms; // may be absent
};

// The directory of servers, rooms and users from the web server
// (command 25). Without an update nothing at all goes on the wire.
class CWebServerToClientMessage : public CMsg {
public:
    CWebServerToClientMessage() : CMsg(kCmdWebServerToClient) {}

    bool Read(CSocketStream& s, const CStopFlag& stop, int& err) override;
    std::string Describe() const override;
    void Encode(CByteWriter& out) const override;

    std::unique_ptr<CServerListUpdateMsg> servers; // may be absent
};
