#pragma once

#include "protocol/admin_messages.h"

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

using Ipv4Address = std::array<int32_t, 4>;

// True when the restriction applies to a station with this call sign and
// address: by call sign (ignoring case) when the restriction names one,
// otherwise by IPv4 address. A station without an IPv4 address (all zero)
// never matches by address.
bool RestrictionMatches(const CRestrictedUserInfo& restriction, const std::string& callSign,
                        const Ipv4Address& address);

// True while the restriction lasts: a ban until it is removed, a mute or kick
// until its end (now in seconds since 1970 UTC).
bool RestrictionInForce(const CRestrictedUserInfo& restriction, int64_t now);

// The restrictions an administrator has set. Mutes and kicks end at their
// end time (seconds since 1970 UTC); bans last until they are removed. Not
// thread-safe: the server guards it with its own lock.
class CRestrictionList {
public:
    // Sets a Muted, Kicked or Banned restriction, replacing one for the same
    // call sign (or, without a call sign, the same address).
    void Add(const CRestrictedUserInfo& restriction);
    // Removes the restriction for the same call sign or address; false when
    // there is none.
    bool Remove(const CRestrictedUserInfo& restriction);
    // The most severe restriction in force at now for the station, if any.
    std::optional<CRestrictedUserInfo> Find(const std::string& callSign, const Ipv4Address& address,
                                            int64_t now) const;
    // The restrictions in force at now, in the order they were set.
    std::vector<CRestrictedUserInfo> InForce(int64_t now) const;
    // Takes out the restrictions whose end has come and returns them.
    std::vector<CRestrictedUserInfo> Expire(int64_t now);
    // The earliest end among the restrictions that end, if any.
    std::optional<int64_t> NextEnd() const;

private:
    std::vector<CRestrictedUserInfo> restrictions_;
};
