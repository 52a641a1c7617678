#pragma once

#include "protocol/wire_io.h"

#include <cstdint>
#include <memory>
#include <string>

// Command codes of the protocol (0 to 27).
enum MsgCommand : uint8_t {
    kCmdNull = 0,
    kCmdSound = 1,
    kCmdSilence = 2,
    kCmdBye = 3,
    kCmdJoin = 4,
    kCmdRoomList = 5,
    kCmdTalking = 6,
    kCmdSendId = 7,
    kCmdCourtesy = 8,
    kCmdIdleId = 9,
    kCmdVersion = 10,
    kCmdText = 11,
    kCmdPing = 12,
    kCmdEndTx = 13,
    kCmdAdminRequest = 14,
    kCmdAdminNotify = 15,
    kCmdListRestrictions = 16,
    kCmdGetRestrict = 17,
    kCmdAddRestriction = 18,
    kCmdRemoveRestriction = 19,
    kCmdActiveRooms = 20,
    kCmdVersionEx = 21,
    kCmdOptUserList = 22,
    kCmdRoomListToWebServer = 23,
    kCmdConnectToWebServer = 24,
    kCmdWebServerToClient = 25,
    kCmdJoinWithPassword = 26,
    kCmdDummy = 27,
};
constexpr int kCommandCount = 28;

// The base of all messages: one command byte, then the payload of the class.
// The payload-less commands (0, 3, 7, 8, 9, 12, 13, 17) are plain CMsg objects.
class CMsg {
public:
    explicit CMsg(uint8_t cmd = kCmdNull) : command(cmd) {}
    virtual ~CMsg() = default;

    // Reads the payload that follows the command byte.
    virtual bool Read(CSocketStream& s, const CStopFlag& stop, int& err);
    // One line for diagnostics.
    virtual std::string Describe() const;
    // Appends the command byte and the payload. A message that puts nothing on
    // the wire (an absent update list) appends nothing.
    virtual void Encode(CByteWriter& out) const;
    // Encodes the message and sends it with as few send() calls as possible.
    bool Write(CSocketStream& s, const CStopFlag& stop) const;

    uint8_t command;
};

// The object for a command code (0 to 27), with its command field set; null
// for codes of 28 or more.
std::unique_ptr<CMsg> CreateMessage(uint8_t command);

// Reads one whole message: the command byte, then the payload of its class.
// Returns null with err set when the read fails (see WireError).
std::unique_ptr<CMsg> ReadMessage(CSocketStream& s, const CStopFlag& stop, int& err);
