// The administration side of the stand-in server: administration stations,
// their status reports, and the restrictions they set.

#include "server/stand_in_server.h"

#include "server/admin_reports.h"
#include "server/restriction_texts.h"

#include <algorithm>

namespace {
const char* const kWrongAdminPasswordText = "Access denied: wrong administrator password.";
const char* const kNoAdministrationText = "Access denied: this server has no administration.";

// The longest the chores wait for a restriction's end; keeps far ends (a
// year 9999 mute) out of the time arithmetic.
constexpr int64_t kLongestEndWaitSeconds = 3600;
} // namespace

void CStandInServer::HandleAdminRequest(CStation& station, const CAdminRequestMessage& request) {
    if (options_.adminPassword.empty() || request.password != options_.adminPassword) {
        const bool disabled = options_.adminPassword.empty();
        station.Send(MakeText(disabled ? kNoAdministrationText : kWrongAdminPasswordText));
        Drop(station, disabled ? "asked for administration, which is not enabled"
                               : "wrong administrator password");
        return;
    }
    station.SetAdmin();
    log_(station.Label() + " logged in as an administration station");
    // An administration station watches; it is in no room.
    conference_.Leave(station);
    SendAdminNotify();
}

void CStandInServer::HandleRestrictionCommand(CStation& station, const CMsg& message) {
    if (!station.IsAdmin()) {
        log_(station.Label() + " sent \"" + message.Describe() +
             "\", which only administration stations may send; ignored");
        return;
    }
    switch (message.command) {
    case kCmdGetRestrict: {
        const SharedMsg list = RestrictionList();
        station.Send(list);
        log_(station.Label() + " asked for the restrictions: " + list->Describe());
        break;
    }
    case kCmdAddRestriction:
        AddRestriction(station, static_cast<const CAddRestrictionMessage&>(message).restriction);
        break;
    case kCmdRemoveRestriction:
        RemoveRestriction(station,
                          static_cast<const CRemoveRestrictionMessage&>(message).restriction);
        break;
    }
}

void CStandInServer::AddRestriction(CStation& admin, const CRestrictedUserInfo& restriction) {
    if (restriction.restriction < kMuted || restriction.restriction > kBanned) {
        log_(admin.Label() + " sent a restriction of kind " +
             std::to_string(restriction.restriction) + ", which is ignored");
        return;
    }
    if (restriction.callSign.empty() && restriction.address == Ipv4Address{}) {
        log_(admin.Label() + " sent a restriction that names no call sign or address; ignored");
        return;
    }
    std::vector<std::shared_ptr<CStation>> affected;
    {
        std::lock_guard lock(stationsMutex_);
        restrictions_.Add(restriction);
        if (RestrictionInForce(restriction, options_.utcSeconds())) {
            for (const auto& [key, station] : active_) {
                if (!station->IsAdmin() &&
                    RestrictionMatches(restriction, station->CallSign(), station->Ipv4()))
                    affected.push_back(station);
            }
        }
    }
    log_(admin.Label() + " set " + RestrictionSummary(restriction));
    for (const auto& station : affected) {
        station->Send(MakeText(RestrictionNotice(restriction)));
        if (restriction.restriction != kMuted)
            Drop(*station, std::string(restriction.restriction == kKicked ? "kicked" : "banned") +
                               " by " + admin.Label());
    }
    // Its end may come before the deadline the chores wait for.
    chores_.Wake();
    SendToAdmins(RestrictionList());
}

void CStandInServer::RemoveRestriction(CStation& admin, const CRestrictedUserInfo& restriction) {
    bool removed;
    {
        std::lock_guard lock(stationsMutex_);
        removed = restrictions_.Remove(restriction);
    }
    log_(admin.Label() +
         (removed ? " lifted the restriction of " : " asked to lift a restriction of ") +
         RestrictionTarget(restriction) + (removed ? "" : ", which has none"));
    SendToAdmins(RestrictionList());
}

std::optional<CRestrictedUserInfo> CStandInServer::RestrictionOf(const CStation& station) {
    if (station.IsAdmin())
        return std::nullopt;
    std::lock_guard lock(stationsMutex_);
    return restrictions_.Find(station.CallSign(), station.Ipv4(), options_.utcSeconds());
}

void CStandInServer::SendToAdmins(const SharedMsg& message) {
    std::lock_guard lock(stationsMutex_);
    for (const auto& [key, station] : active_) {
        if (station->IsAdmin())
            station->Send(message);
    }
}

void CStandInServer::SendAdminNotify() {
    {
        std::lock_guard lock(stationsMutex_);
        if (std::none_of(active_.begin(), active_.end(),
                         [](const auto& entry) { return entry.second->IsAdmin(); }))
            return;
    }
    SendToAdmins(MakeAdminNotify(conference_.Members()));
}

SharedMsg CStandInServer::RestrictionList() {
    std::vector<CRestrictedUserInfo> inForce;
    {
        std::lock_guard lock(stationsMutex_);
        inForce = restrictions_.InForce(options_.utcSeconds());
    }
    return MakeRestrictionList(inForce, conference_.Members());
}

CStandInServer::Clock::time_point CStandInServer::ExpireRestrictions(Clock::time_point now) {
    const int64_t utc = options_.utcSeconds();
    std::vector<CRestrictedUserInfo> expired;
    std::optional<int64_t> nextEnd;
    {
        std::lock_guard lock(stationsMutex_);
        expired = restrictions_.Expire(utc);
        nextEnd = restrictions_.NextEnd();
    }
    for (const CRestrictedUserInfo& restriction : expired)
        log_("restriction ended: " + RestrictionSummary(restriction));
    if (!expired.empty())
        SendToAdmins(RestrictionList());
    if (!nextEnd)
        return Clock::time_point::max();
    return now + std::chrono::seconds(std::min(*nextEnd - utc, kLongestEndWaitSeconds));
}
