// tavro-server: a stand-in conference server for tests and demonstrations.

#include "app/server/server_args.h"
#include "protocol/conference_messages.h"
#include "server/stand_in_server.h"

#include <pthread.h>
#include <signal.h>

#include <chrono>
#include <cstdio>
#include <ctime>
#include <string>

namespace {
// Administration stations hang up on servers below this version.
constexpr int32_t kAdminRequestVersion = 107;

// "2024-05-01 12:00:00.123", local time.
std::string Timestamp() {
    const auto now = std::chrono::system_clock::now();
    const std::time_t seconds = std::chrono::system_clock::to_time_t(now);
    const auto ms =
        std::chrono::duration_cast<std::chrono::milliseconds>(now.time_since_epoch()).count() %
        1000;
    std::tm local{};
    localtime_r(&seconds, &local);
    char text[32];
    const size_t n = std::strftime(text, sizeof text, "%Y-%m-%d %H:%M:%S", &local);
    std::snprintf(text + n, sizeof text - n, ".%03lld", static_cast<long long>(ms));
    return text;
}

void LogLine(const std::string& line) {
    std::fprintf(stderr, "%s %s\n", Timestamp().c_str(), line.c_str());
}
} // namespace

int main(int argc, char** argv) {
    ServerArgs args;
    std::string error;
    if (!ParseServerArgs(argc - 1, argv + 1, args, error)) {
        std::fprintf(stderr, "tavro-server: %s\nTry 'tavro-server --help'.\n", error.c_str());
        return 2;
    }
    if (args.help) {
        std::fputs(kServerUsage, stdout);
        return 0;
    }

    // The signals are taken by sigwait below; every thread the server starts
    // inherits the blocked mask, so none of them is interrupted.
    sigset_t stopSignals;
    sigemptyset(&stopSignals);
    sigaddset(&stopSignals, SIGINT);
    sigaddset(&stopSignals, SIGTERM);
    pthread_sigmask(SIG_BLOCK, &stopSignals, nullptr);

    if (!args.options.password.empty() && args.options.version < kPasswordJoinVersion)
        LogLine("warning: clients join servers below version " +
                std::to_string(kPasswordJoinVersion) +
                " without a password, so every join will be refused");
    if (!args.options.adminPassword.empty() && args.options.version < kAdminRequestVersion)
        LogLine("warning: administration stations log in to servers of version " +
                std::to_string(kAdminRequestVersion) + " or more only");
    args.options.log = LogLine;
    CStandInServer server(args.options);
    if (!server.Start(error)) {
        LogLine("tavro-server: " + error);
        return 1;
    }
    int signal = 0;
    sigwait(&stopSignals, &signal);
    LogLine(std::string("stopping on ") + (signal == SIGINT ? "SIGINT" : "SIGTERM"));
    server.Stop();
    return 0;
}
