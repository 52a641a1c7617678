#pragma once

#include "protocol/admin_messages.h"

#include <cstdint>
#include <string>

// "2024-05-01 12:00:00 UTC" for seconds since 1970.
std::string UtcText(int64_t seconds);

// `call sign "K1"`, or `address 10.0.0.1` for a restriction without one.
std::string RestrictionTarget(const CRestrictedUserInfo& restriction);

// For the log: `Kicked call sign "K1" until 2024-05-01 12:00:00 UTC by "Op"
// ("too long")`; an address restriction names the address instead.
std::string RestrictionSummary(const CRestrictedUserInfo& restriction);

// What a station is told when the restriction is applied to it ("You are
// kicked until ... UTC. Reason: ...").
std::string RestrictionNotice(const CRestrictedUserInfo& restriction);

// What a station is told when its join is refused ("Access denied: you are
// banned. Reason: ...").
std::string RestrictionRefusal(const CRestrictedUserInfo& restriction);
