#include "protocol/list_messages.h"

#include "platform/string_format.h"

namespace {

bool ReadStrings(CSocketStream& s, const CStopFlag& stop, int32_t count,
                 std::vector<std::string>& strings, int& err) {
    strings.clear();
    for (int32_t i = 0; i < count; ++i) {
        std::string& text = strings.emplace_back();
        if (!ReadString(s, stop, text, err))
            return false;
    }
    return true;
}

} // namespace

bool CRoomListMessage::Read(CSocketStream& s, const CStopFlag& stop, int& err) {
    int32_t count = 0;
    return ReadCount(s, stop, count, err) && ReadStrings(s, stop, count, names, err) &&
           ReadStrings(s, stop, count, descriptions, err);
}

std::string CRoomListMessage::Describe() const {
    return StringPrintf("RoomList %d entries", int(names.size()));
}

void CRoomListMessage::Encode(CByteWriter& out) const {
    out.Byte(command);
    out.Int32(int32_t(names.size()));
    for (const std::string& name : names)
        out.String(name);
    // Exactly one description per name, so that a short or long descriptions
    // list cannot put the reader out of step.
    for (size_t i = 0; i < names.size(); ++i)
        out.String(i < descriptions.size() ? descriptions[i] : std::string());
}

bool CActiveRoomsMessage::Read(CSocketStream& s, const CStopFlag& stop, int& err) {
    int32_t count = 0;
    return ReadCount(s, stop, count, err) && ReadStrings(s, stop, count, rooms, err);
}

std::string CActiveRoomsMessage::Describe() const {
    return StringPrintf("ActiveRooms %d entries", int(rooms.size()));
}

void CActiveRoomsMessage::Encode(CByteWriter& out) const {
    out.Byte(command);
    out.Int32(int32_t(rooms.size()));
    for (const std::string& room : rooms)
        out.String(room);
}

bool COptUserListMessage::Read(CSocketStream& s, const CStopFlag& stop, int& err) {
    return CUserListUpdateMsg::Read(s, stop, update, err);
}

std::string COptUserListMessage::Describe() const {
    return StringPrintf("Opt User List Message %d bytes",
                        update ? int(update->EstimatedSize()) : 0);
}

void COptUserListMessage::Encode(CByteWriter& out) const {
    if (!update)
        return;
    out.Byte(command);
    update->Encode(out);
}
