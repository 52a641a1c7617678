#pragma once

#include "protocol/msg.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

// Sound (command 1: a length and the encoded sound bytes) and Silence
// (command 2: the command byte alone). The length travels as its low 16 bits.
class CSoundMessage : public CMsg {
public:
    // A Silence message holding 330 zero bytes (which do not travel).
    CSoundMessage();
    // Sound with a copy of the encoded bytes, or Silence when silent is set;
    // the length is kept even for Silence, where it does not travel.
    CSoundMessage(const uint8_t* data, size_t size, bool silent);

    bool Read(CSocketStream& s, const CStopFlag& stop, int& err) override;
    std::string Describe() const override;
    void Encode(CByteWriter& out) const override;

    // Sets the payload and the length together.
    void SetPayload(const uint8_t* data, size_t size);

    uint32_t length = 0;          // payload bytes; kept equal to payload.size()
    std::vector<uint8_t> payload; // the encoded sound frames, opaque here
};

// The filler (command 27) that follows every sound message: a length and
// that many meaningless bytes. Its Describe is the base text for code 27.
class CDummyMessage : public CMsg {
public:
    explicit CDummyMessage(uint16_t fillerLength = 3000);

    bool Read(CSocketStream& s, const CStopFlag& stop, int& err) override;
    void Encode(CByteWriter& out) const override;

    uint16_t length;
};

// Join a room: command 4 without a password, command 26 with one.
class CJoinMessage : public CMsg {
public:
    CJoinMessage() : CMsg(kCmdJoin) {}

    bool Read(CSocketStream& s, const CStopFlag& stop, int& err) override;
    std::string Describe() const override;
    void Encode(CByteWriter& out) const override;

    std::string callSign;
    std::string room;
    std::string comment;
    std::string password; // travels with command 26 only
    std::string codec;
};

// The version (command 10), or the version with the machine value
// (command 21; read only when the version is 108 or more).
class CVersionMessage : public CMsg {
public:
    CVersionMessage() : CMsg(kCmdVersion) {}

    bool Read(CSocketStream& s, const CStopFlag& stop, int& err) override;
    std::string Describe() const override;
    void Encode(CByteWriter& out) const override;

    int32_t version = 0;
    int32_t machineValue = 0;
};

// The first version whose command-21 message carries the machine value.
constexpr int32_t kMachineValueVersion = 108;
// The first server version that takes a join with the password (command 26).
constexpr int32_t kPasswordJoinVersion = 113;

// Who is talking now (command 6).
class CTalkingMessage : public CMsg {
public:
    CTalkingMessage() : CMsg(kCmdTalking) {}

    bool Read(CSocketStream& s, const CStopFlag& stop, int& err) override;
    std::string Describe() const override;
    void Encode(CByteWriter& out) const override;

    std::string talker;
};

// A text from the server (command 11).
class CTextMessage : public CMsg {
public:
    CTextMessage() : CMsg(kCmdText) {}

    bool Read(CSocketStream& s, const CStopFlag& stop, int& err) override;
    std::string Describe() const override;
    void Encode(CByteWriter& out) const override;

    std::string text;
};

// The text that a message class gives for a command code that is not its own.
std::string ForeignCommandText(const char* className, uint8_t command);
