#include "protocol/admin_messages.h"

#include "platform/string_format.h"
#include "protocol/conference_messages.h"

namespace {

// Reads a counted list of records, each created empty and filled in wire
// order. On failure what was read so far stays in the list and is deleted
// with the message.
template <class Record>
bool ReadRecords(CSocketStream& s, const CStopFlag& stop,
                 std::vector<std::unique_ptr<Record>>& records, int& err) {
    records.clear();
    int32_t count = 0;
    if (!ReadCount(s, stop, count, err))
        return false;
    for (int32_t i = 0; i < count; ++i) {
        Record& record = *records.emplace_back(std::make_unique<Record>());
        if (!record.Read(s, stop, err))
            return false;
    }
    return true;
}

template <class Record>
void EncodeRecords(const std::vector<std::unique_ptr<Record>>& records, CByteWriter& out) {
    out.Int32(int32_t(records.size()));
    for (const auto& record : records)
        record->Encode(out);
}

std::string VersionText(int32_t version) {
    if (version == 0)
        return "1.01";
    if (version == 1)
        return "1.02-1.05";
    return StringPrintf("%d.%02d", version / 100, version % 100);
}

} // namespace

bool CAdminRequestMessage::Read(CSocketStream& s, const CStopFlag& stop, int& err) {
    return ReadString(s, stop, password, err);
}

std::string CAdminRequestMessage::Describe() const {
    if (command != kCmdAdminRequest)
        return ForeignCommandText("CAdminRequestMessage", command);
    return StringPrintf("Admin Request : \"%s\" ", password.c_str());
}

void CAdminRequestMessage::Encode(CByteWriter& out) const {
    out.Byte(command);
    out.String(password);
}

bool CAdminUserStuff::Read(CSocketStream& s, const CStopFlag& stop, int& err) {
    return ReadString(s, stop, name, err) && ReadString(s, stop, group, err) &&
           ReadByte(s, stop, talking, err) && ReadInt32(s, stop, version, err) &&
           ReadInt32(s, stop, inQueue, err) && ReadInt32(s, stop, outQueue, err) &&
           ReadInt32(s, stop, ping, err) && ReadUInt32(s, stop, rxCount, err) &&
           ReadUInt32(s, stop, txCount, err);
}

void CAdminUserStuff::Encode(CByteWriter& out) const {
    out.String(name);
    out.String(group);
    out.Byte(talking);
    out.Int32(version);
    out.Int32(inQueue);
    out.Int32(outQueue);
    out.Int32(ping);
    out.UInt32(rxCount);
    out.UInt32(txCount);
}

std::string CAdminUserStuff::StatusLine(std::string& previousGroup) const {
    std::string shownGroup;
    if (group != previousGroup) {
        shownGroup = group;
        previousGroup = group;
    }
    const std::string pingText = ping != 0 ? StringPrintf("%4d", ping) : "????";
    return StringPrintf("%-10s %-10s %s Q(O=%d/I=%d) P=%sms Tx=%u,Rx=%u V=%s", shownGroup.c_str(),
                        name.c_str(), talking ? "Tx" : "  ", outQueue, inQueue, pingText.c_str(),
                        txCount, rxCount, VersionText(version).c_str());
}

bool CAdminNotifyMessage::Read(CSocketStream& s, const CStopFlag& stop, int& err) {
    return ReadRecords(s, stop, stations, err);
}

std::string CAdminNotifyMessage::Describe() const {
    if (command != kCmdAdminNotify)
        return ForeignCommandText("CAdminNotifyMessage", command);
    return "Admin Notify";
}

void CAdminNotifyMessage::Encode(CByteWriter& out) const {
    out.Byte(command);
    EncodeRecords(stations, out);
}

const char* RestrictionKindName(int32_t kind) {
    switch (kind) {
    case kNotRestricted:
        return "Not Restricted";
    case kMuted:
        return "Muted";
    case kKicked:
        return "Kicked";
    case kBanned:
        return "Banned";
    default:
        return "??????????";
    }
}

bool CRestrictedUserInfo::Read(CSocketStream& s, const CStopFlag& stop, int& err) {
    if (!ReadUInt32(s, stop, id, err))
        return false;
    for (int32_t& octet : address)
        if (!ReadInt32(s, stop, octet, err))
            return false;
    return ReadInt32(s, stop, restriction, err) && ReadTime64(s, stop, end, err) &&
           ReadString(s, stop, callSign, err) && ReadString(s, stop, reason, err) &&
           ReadString(s, stop, by, err);
}

void CRestrictedUserInfo::Encode(CByteWriter& out) const {
    out.UInt32(id);
    for (int32_t octet : address)
        out.Int32(octet);
    out.Int32(restriction);
    out.Time64(end);
    out.String(callSign);
    out.String(reason);
    out.String(by);
}

bool CListRestrictionsMessage::Read(CSocketStream& s, const CStopFlag& stop, int& err) {
    return ReadRecords(s, stop, restrictions, err);
}

std::string CListRestrictionsMessage::Describe() const {
    if (command != kCmdListRestrictions)
        return ForeignCommandText("CListRestrictionsMessage", command);
    return StringPrintf("List Restrictions Message %d users", int(restrictions.size()));
}

void CListRestrictionsMessage::Encode(CByteWriter& out) const {
    out.Byte(command);
    EncodeRecords(restrictions, out);
}

bool CAddRestrictionMessage::Read(CSocketStream& s, const CStopFlag& stop, int& err) {
    return restriction.Read(s, stop, err);
}

std::string CAddRestrictionMessage::Describe() const {
    if (command != kCmdAddRestriction)
        return ForeignCommandText("CAddRestrictionMessage", command);
    return "Add Restriction Message";
}

void CAddRestrictionMessage::Encode(CByteWriter& out) const {
    out.Byte(command);
    restriction.Encode(out);
}

bool CRemoveRestrictionMessage::Read(CSocketStream& s, const CStopFlag& stop, int& err) {
    return restriction.Read(s, stop, err);
}

std::string CRemoveRestrictionMessage::Describe() const {
    if (command != kCmdRemoveRestriction)
        return ForeignCommandText("CRemoveRestrictionMessage", command);
    return "Remove Restriction Message";
}

void CRemoveRestrictionMessage::Encode(CByteWriter& out) const {
    out.Byte(command);
    restriction.Encode(out);
}
