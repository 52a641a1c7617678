#include "server/restriction_texts.h"

#include "platform/string_format.h"

#include <ctime>

namespace {
std::string Quoted(const std::string& text) {
    return "\"" + text + "\"";
}

// "kicked until ... UTC. Reason: ..." without the subject.
std::string State(const CRestrictedUserInfo& restriction) {
    std::string text;
    switch (restriction.restriction) {
    case kMuted:
        text = "muted until " + UtcText(restriction.end);
        break;
    case kKicked:
        text = "kicked until " + UtcText(restriction.end);
        break;
    default:
        text = "banned";
        break;
    }
    text += '.';
    if (!restriction.reason.empty())
        text += " Reason: " + restriction.reason;
    return text;
}
} // namespace

std::string UtcText(int64_t seconds) {
    const std::time_t time = std::time_t(seconds);
    std::tm utc{};
    char text[40];
    if (!gmtime_r(&time, &utc) || std::strftime(text, sizeof text, "%Y-%m-%d %H:%M:%S", &utc) == 0)
        return std::to_string(seconds) + " s";
    return std::string(text) + " UTC";
}

std::string RestrictionTarget(const CRestrictedUserInfo& restriction) {
    const auto& a = restriction.address;
    return restriction.callSign.empty()
               ? StringPrintf("address %d.%d.%d.%d", a[0], a[1], a[2], a[3])
               : "call sign " + Quoted(restriction.callSign);
}

std::string RestrictionSummary(const CRestrictedUserInfo& restriction) {
    std::string text = RestrictionKindName(restriction.restriction);
    text += " " + RestrictionTarget(restriction);
    if (restriction.restriction != kBanned)
        text += " until " + UtcText(restriction.end);
    text += " by " + Quoted(restriction.by);
    if (!restriction.reason.empty())
        text += " (" + Quoted(restriction.reason) + ")";
    return text;
}

std::string RestrictionNotice(const CRestrictedUserInfo& restriction) {
    return "You are " + State(restriction);
}

std::string RestrictionRefusal(const CRestrictedUserInfo& restriction) {
    return "Access denied: you are " + State(restriction);
}
