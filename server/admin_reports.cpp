#include "server/admin_reports.h"

#include "server/restriction_list.h"

#include <algorithm>

SharedMsg MakeAdminNotify(const std::vector<CConference::MemberStatus>& members) {
    auto message = std::make_shared<CAdminNotifyMessage>();
    for (const CConference::MemberStatus& member : members) {
        const CStation& station = *member.station;
        auto& record = *message->stations.emplace_back(std::make_unique<CAdminUserStuff>());
        record.group = member.room;
        record.name = member.callSign;
        record.talking = member.talking ? 1 : 0;
        record.version = station.Version();
        record.inQueue = station.Unread();
        record.outQueue = station.Unsent();
        record.ping = station.PingMs();
        record.rxCount = station.SoundReceived();
        record.txCount = station.SoundSent();
    }
    return message;
}

SharedMsg MakeRestrictionList(const std::vector<CRestrictedUserInfo>& inForce,
                              const std::vector<CConference::MemberStatus>& members) {
    auto message = std::make_shared<CListRestrictionsMessage>();
    for (const CRestrictedUserInfo& restriction : inForce)
        message->restrictions.push_back(std::make_unique<CRestrictedUserInfo>(restriction));
    for (const CConference::MemberStatus& member : members) {
        const bool named = std::any_of(
            inForce.begin(), inForce.end(), [&](const CRestrictedUserInfo& restriction) {
                return !restriction.callSign.empty() &&
                       RestrictionMatches(restriction, member.callSign, {});
            });
        if (named)
            continue;
        auto& record = *message->restrictions.emplace_back(std::make_unique<CRestrictedUserInfo>());
        record.callSign = member.callSign;
        record.by = member.room;
        record.id = member.station->MachineValue();
        record.address = member.station->Ipv4();
        record.restriction = kNotRestricted;
    }
    return message;
}
