#include "protocol/msg.h"

#include "platform/string_format.h"

#include <limits>
#include <new>

bool CMsg::Read(CSocketStream&, const CStopFlag&, int&) {
    return true;
}

std::string CMsg::Describe() const {
    switch (command) {
    case kCmdNull:
        return "Null";
    case kCmdBye:
        return "Bye";
    case kCmdSendId:
        return "Send ID";
    case kCmdCourtesy:
        return "Courtesy";
    case kCmdIdleId:
        return "IdleID";
    case kCmdPing:
        return "Ping";
    case kCmdEndTx:
        return "End TX";
    case kCmdGetRestrict:
        return "Get Restrict";
    default:
        return StringPrintf("Error CMsg with Command %d", command);
    }
}

void CMsg::Encode(CByteWriter& out) const {
    out.Byte(command);
}

bool CMsg::Write(CSocketStream& s, const CStopFlag& stop) const {
    // Reused per thread: the transmit thread writes one message after another.
    thread_local std::vector<uint8_t> buffer;
    buffer.clear();
    CByteWriter out(buffer);
    Encode(out);
    return buffer.empty() || WriteBytes(s, stop, buffer.data(), buffer.size());
}

std::unique_ptr<CMsg> ReadMessage(CSocketStream& s, const CStopFlag& stop, int& err) {
    uint8_t code;
    if (!ReadByte(s, stop, code, err))
        return nullptr;
    if (code >= kCommandCount) {
        err = kErrUnknownCommand;
        return nullptr;
    }
    try {
        std::unique_ptr<CMsg> msg = CreateMessage(code);
        // The payload may take what is left of the message size limit.
        s.budget = kMaxMessageSize - 1;
        const bool ok = msg->Read(s, stop, err);
        s.budget = std::numeric_limits<size_t>::max();
        if (!ok)
            return nullptr;
        return msg;
    } catch (const std::bad_alloc&) {
        s.budget = std::numeric_limits<size_t>::max();
        err = kErrOutOfBounds;
        return nullptr;
    }
}
