#include "app/server/log_priority.h"

#include <string_view>

LogPriority ServerLinePriority(const std::string& line) {
    if (line.starts_with("cannot accept"))
        return LogPriority::Error;
    static constexpr std::string_view kFailures[] = {
        " disconnected: connection failed",
        " disconnected: sending failed",
        " disconnected: sent nothing for",
        " disconnected: does not read",
        " disconnected: sent a message that does not parse",
        " disconnected: sent an unknown command code"};
    for (const std::string_view failure : kFailures)
        if (line.find(failure) != std::string::npos)
            return LogPriority::Warning;
    return LogPriority::Info;
}
