#include "protocol/conference_messages.h"

#include "platform/string_format.h"

#include <algorithm>

std::string ForeignCommandText(const char* className, uint8_t command) {
    return StringPrintf("Error %s with Command %d", className, command);
}

CSoundMessage::CSoundMessage() : CMsg(kCmdSilence), length(330), payload(330, 0) {}

CSoundMessage::CSoundMessage(const uint8_t* data, size_t size, bool silent)
    : CMsg(silent ? kCmdSilence : kCmdSound) {
    SetPayload(data, size);
}

void CSoundMessage::SetPayload(const uint8_t* data, size_t size) {
    payload.assign(data, data + size);
    length = uint32_t(size);
}

bool CSoundMessage::Read(CSocketStream& s, const CStopFlag& stop, int& err) {
    if (command != kCmdSound)
        return true;
    uint16_t wireLength = 0;
    if (!ReadLength16be(s, stop, wireLength, err))
        return false;
    length = wireLength;
    payload.resize(length);
    return ReadBytes(s, stop, payload.data(), payload.size(), err);
}

std::string CSoundMessage::Describe() const {
    if (command == kCmdSound)
        return "Sound";
    if (command == kCmdSilence)
        return "Silence";
    return ForeignCommandText("CSoundMessage", command);
}

void CSoundMessage::Encode(CByteWriter& out) const {
    out.Byte(command);
    if (command != kCmdSound)
        return;
    // The length field and the bytes that follow it always agree, so the
    // peer stays in step even if the two members were set apart or the
    // payload exceeds what 16 bits can announce.
    const size_t n = std::min({size_t(length), payload.size(), size_t(0xFFFF)});
    out.Length16be(uint16_t(n));
    out.Bytes(payload.data(), n);
}

CDummyMessage::CDummyMessage(uint16_t fillerLength) : CMsg(kCmdDummy), length(fillerLength) {}

bool CDummyMessage::Read(CSocketStream& s, const CStopFlag& stop, int& err) {
    if (!ReadLength16be(s, stop, length, err))
        return false;
    return SkipBytes(s, stop, length, err);
}

void CDummyMessage::Encode(CByteWriter& out) const {
    out.Byte(command);
    out.Length16be(length);
    out.Zeros(length);
}

bool CJoinMessage::Read(CSocketStream& s, const CStopFlag& stop, int& err) {
    if (!ReadString(s, stop, callSign, err) || !ReadString(s, stop, room, err) ||
        !ReadString(s, stop, comment, err) || !ReadString(s, stop, codec, err))
        return false;
    if (command != kCmdJoinWithPassword) {
        password.clear();
        return true;
    }
    return ReadString(s, stop, password, err);
}

std::string CJoinMessage::Describe() const {
    if (command != kCmdJoin && command != kCmdJoinWithPassword)
        return ForeignCommandText("CJoinMessage", command);
    return StringPrintf("Join : \"%s\" \"%s\" \"%s\" ", callSign.c_str(), room.c_str(),
                        comment.c_str());
}

void CJoinMessage::Encode(CByteWriter& out) const {
    out.Byte(command);
    out.String(callSign);
    out.String(room);
    out.String(comment);
    out.String(codec);
    if (command == kCmdJoinWithPassword)
        out.String(password);
}

bool CVersionMessage::Read(CSocketStream& s, const CStopFlag& stop, int& err) {
    if (!ReadInt32(s, stop, version, err))
        return false;
    if (command != kCmdVersionEx || version < kMachineValueVersion)
        return true;
    return ReadInt32(s, stop, machineValue, err);
}

std::string CVersionMessage::Describe() const {
    return StringPrintf("Version %d - HD = %d", version, machineValue);
}

void CVersionMessage::Encode(CByteWriter& out) const {
    out.Byte(command);
    out.Int32(version);
    if (command == kCmdVersionEx)
        out.Int32(machineValue);
}

bool CTalkingMessage::Read(CSocketStream& s, const CStopFlag& stop, int& err) {
    return ReadString(s, stop, talker, err);
}

std::string CTalkingMessage::Describe() const {
    if (command != kCmdTalking)
        return ForeignCommandText("CTalkingMessage", command);
    return StringPrintf("Talking : \"%s\" ", talker.c_str());
}

void CTalkingMessage::Encode(CByteWriter& out) const {
    out.Byte(command);
    out.String(talker);
}

bool CTextMessage::Read(CSocketStream& s, const CStopFlag& stop, int& err) {
    return ReadString(s, stop, text, err);
}

std::string CTextMessage::Describe() const {
    if (command != kCmdText)
        return ForeignCommandText("CTextMessage", command);
    return StringPrintf("Text : \"%s\" ", text.c_str());
}

void CTextMessage::Encode(CByteWriter& out) const {
    out.Byte(command);
    out.String(text);
}
