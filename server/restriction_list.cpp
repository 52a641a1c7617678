#include "server/restriction_list.h"

#include <algorithm>
#include <strings.h>

namespace {
bool SameCallSign(const std::string& a, const std::string& b) {
    return strcasecmp(a.c_str(), b.c_str()) == 0;
}

// Whether two restrictions are meant for the same station.
bool SameTarget(const CRestrictedUserInfo& a, const CRestrictedUserInfo& b) {
    if (a.callSign.empty() != b.callSign.empty())
        return false;
    return a.callSign.empty() ? a.address == b.address : SameCallSign(a.callSign, b.callSign);
}

bool Ends(const CRestrictedUserInfo& restriction) {
    return restriction.restriction != kBanned;
}
} // namespace

bool RestrictionInForce(const CRestrictedUserInfo& restriction, int64_t now) {
    return !Ends(restriction) || now < restriction.end;
}

bool RestrictionMatches(const CRestrictedUserInfo& restriction, const std::string& callSign,
                        const Ipv4Address& address) {
    if (!restriction.callSign.empty())
        return SameCallSign(restriction.callSign, callSign);
    return address != Ipv4Address{} && restriction.address == address;
}

void CRestrictionList::Add(const CRestrictedUserInfo& restriction) {
    const auto same = std::find_if(
        restrictions_.begin(), restrictions_.end(),
        [&](const CRestrictedUserInfo& existing) { return SameTarget(existing, restriction); });
    if (same != restrictions_.end())
        *same = restriction;
    else
        restrictions_.push_back(restriction);
}

bool CRestrictionList::Remove(const CRestrictedUserInfo& restriction) {
    return std::erase_if(restrictions_, [&](const CRestrictedUserInfo& existing) {
               return SameTarget(existing, restriction);
           }) > 0;
}

std::optional<CRestrictedUserInfo>
CRestrictionList::Find(const std::string& callSign, const Ipv4Address& address, int64_t now) const {
    std::optional<CRestrictedUserInfo> found;
    for (const CRestrictedUserInfo& restriction : restrictions_) {
        if (RestrictionInForce(restriction, now) &&
            RestrictionMatches(restriction, callSign, address) &&
            (!found || restriction.restriction > found->restriction))
            found = restriction;
    }
    return found;
}

std::vector<CRestrictedUserInfo> CRestrictionList::InForce(int64_t now) const {
    std::vector<CRestrictedUserInfo> inForce;
    std::copy_if(restrictions_.begin(), restrictions_.end(), std::back_inserter(inForce),
                 [&](const CRestrictedUserInfo& restriction) {
                     return RestrictionInForce(restriction, now);
                 });
    return inForce;
}

std::vector<CRestrictedUserInfo> CRestrictionList::Expire(int64_t now) {
    std::vector<CRestrictedUserInfo> expired;
    std::erase_if(restrictions_, [&](CRestrictedUserInfo& restriction) {
        if (RestrictionInForce(restriction, now))
            return false;
        expired.push_back(std::move(restriction));
        return true;
    });
    return expired;
}

std::optional<int64_t> CRestrictionList::NextEnd() const {
    std::optional<int64_t> next;
    for (const CRestrictedUserInfo& restriction : restrictions_) {
        if (Ends(restriction) && (!next || restriction.end < *next))
            next = restriction.end;
    }
    return next;
}
