#pragma once

#include "protocol/msg.h"

#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

// An administration station's log-in (command 14).
class CAdminRequestMessage : public CMsg {
public:
    CAdminRequestMessage() : CMsg(kCmdAdminRequest) {}

    bool Read(CSocketStream& s, const CStopFlag& stop, int& err) override;
    std::string Describe() const override;
    void Encode(CByteWriter& out) const override;

    std::string password;
};

// The status of one connected station, as the server reports it.
struct CAdminUserStuff {
    bool Read(CSocketStream& s, const CStopFlag& stop, int& err);
    void Encode(CByteWriter& out) const;

    // One line of the administration view. The group is printed only when it
    // differs from previousGroup, which is then updated to it.
    std::string StatusLine(std::string& previousGroup) const;

    std::string group;
    std::string name;
    uint8_t talking = 0;
    int32_t inQueue = 0;
    int32_t outQueue = 0;
    int32_t version = 0; // major * 100 + minor; 0 and 1 mean old versions
    uint32_t rxCount = 0;
    uint32_t txCount = 0;
    int32_t ping = 0; // milliseconds; 0 when unknown
};

// One status record per connected station (command 15).
class CAdminNotifyMessage : public CMsg {
public:
    CAdminNotifyMessage() : CMsg(kCmdAdminNotify) {}

    bool Read(CSocketStream& s, const CStopFlag& stop, int& err) override;
    std::string Describe() const override;
    void Encode(CByteWriter& out) const override;

    std::vector<std::unique_ptr<CAdminUserStuff>> stations;
};

enum RestrictionKind : int32_t {
    kNotRestricted = 0,
    kMuted = 1,
    kKicked = 2,
    kBanned = 3,
};

// "Not Restricted", "Muted", "Kicked", "Banned", or "??????????" for any
// other value.
const char* RestrictionKindName(int32_t kind);

// One restriction that the server applies to a station.
struct CRestrictedUserInfo {
    bool Read(CSocketStream& s, const CStopFlag& stop, int& err);
    void Encode(CByteWriter& out) const;

    std::string reason;
    std::string by;
    uint32_t id = 0;                  // 0 when the restriction names no station identifier
    std::array<int32_t, 4> address{}; // IPv4 octets, most significant first
    std::string callSign;
    int32_t restriction = kNotRestricted; // carried unchanged even when unknown
    int64_t end = 0;                      // seconds since 1970 UTC
};

// The server's restrictions (command 16).
class CListRestrictionsMessage : public CMsg {
public:
    CListRestrictionsMessage() : CMsg(kCmdListRestrictions) {}

    bool Read(CSocketStream& s, const CStopFlag& stop, int& err) override;
    std::string Describe() const override;
    void Encode(CByteWriter& out) const override;

    std::vector<std::unique_ptr<CRestrictedUserInfo>> restrictions;
};

// Apply a restriction (command 18).
class CAddRestrictionMessage : public CMsg {
public:
    CAddRestrictionMessage() : CMsg(kCmdAddRestriction) {}

    bool Read(CSocketStream& s, const CStopFlag& stop, int& err) override;
    std::string Describe() const override;
    void Encode(CByteWriter& out) const override;

    CRestrictedUserInfo restriction;
};

// Lift a restriction (command 19).
class CRemoveRestrictionMessage : public CMsg {
public:
    CRemoveRestrictionMessage() : CMsg(kCmdRemoveRestriction) {}

    bool Read(CSocketStream& s, const CStopFlag& stop, int& err) override;
    std::string Describe() const override;
    void Encode(CByteWriter& out) const override;

    CRestrictedUserInfo restriction;
};
