#include "tests/server/admin_station.h"

#include "protocol/conference_messages.h"

#include <gtest/gtest.h>

void AdminLogin(CTestStation& station, const std::string& password) {
    const std::unique_ptr<CMsg> greeting = station.Next();
    EXPECT_TRUE(greeting && greeting->command == kCmdVersion);
    CVersionMessage version;
    version.command = kCmdVersionEx;
    version.version = 134;
    station.Send(version);
    CAdminRequestMessage request;
    request.password = password;
    station.Send(request);
}

std::unique_ptr<CMsg> NextWith(CTestStation& station, uint8_t command,
                               std::chrono::milliseconds timeout) {
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    while (std::chrono::steady_clock::now() < deadline) {
        std::unique_ptr<CMsg> message =
            station.Next(std::chrono::duration_cast<std::chrono::milliseconds>(
                deadline - std::chrono::steady_clock::now()));
        if (!message || message->command == command)
            return message;
    }
    return nullptr;
}

std::string NotifySummary(const CMsg& notify) {
    std::string text;
    for (const auto& s : static_cast<const CAdminNotifyMessage&>(notify).stations) {
        text += (text.empty() ? "" : ", ") + s->group + "/" + s->name + (s->talking ? "*" : "") +
                " v" + std::to_string(s->version) + " rx" + std::to_string(s->rxCount) + " tx" +
                std::to_string(s->txCount) + (s->ping ? " ping" : "");
    }
    return text;
}

std::string NextNotify(CTestStation& station) {
    const std::unique_ptr<CMsg> notify = NextWith(station, kCmdAdminNotify);
    return notify ? NotifySummary(*notify) : "";
}

std::string WaitForNotify(CTestStation& station, const std::string& expected) {
    const auto deadline = std::chrono::steady_clock::now() + kWait;
    std::string summary;
    while (summary != expected && std::chrono::steady_clock::now() < deadline)
        summary = NextNotify(station);
    return summary;
}

std::string RestrictionsSummary(const CMsg& list) {
    std::string text;
    for (const auto& r : static_cast<const CListRestrictionsMessage&>(list).restrictions) {
        const auto& a = r->address;
        const std::string target = !r->callSign.empty()
                                       ? r->callSign
                                       : std::to_string(a[0]) + "." + std::to_string(a[1]) + "." +
                                             std::to_string(a[2]) + "." + std::to_string(a[3]);
        text += (text.empty() ? "" : ", ") + std::string(RestrictionKindName(r->restriction)) +
                " " + target + " by " + r->by;
    }
    return text;
}

std::string NextRestrictions(CTestStation& station) {
    const std::unique_ptr<CMsg> list = NextWith(station, kCmdListRestrictions);
    return list ? RestrictionsSummary(*list) : "";
}

CRestrictedUserInfo Restriction(int32_t kind, const std::string& callSign, int64_t end,
                                const std::string& reason, std::array<int32_t, 4> address) {
    CRestrictedUserInfo restriction;
    restriction.restriction = kind;
    restriction.callSign = callSign;
    restriction.end = end;
    restriction.reason = reason;
    restriction.by = "Op";
    restriction.address = address;
    return restriction;
}

void SendAdd(CTestStation& admin, const CRestrictedUserInfo& restriction) {
    CAddRestrictionMessage message;
    message.restriction = restriction;
    admin.Send(message);
}

void SendRemove(CTestStation& admin, const CRestrictedUserInfo& restriction) {
    CRemoveRestrictionMessage message;
    message.restriction = restriction;
    admin.Send(message);
}
