// tavro-server: a stand-in conference server for tests and demonstrations.

#include "app/common/program_options.h"
#include "app/server/log_priority.h"
#include "app/server/server_args.h"
#include "client/program_version.h"
#include "platform/log_line.h"
#include "protocol/conference_messages.h"
#include "server/stand_in_server.h"

#include <pthread.h>
#include <signal.h>

#include <cstdio>
#include <string>

namespace {
// Administration stations hang up on servers below this version.
constexpr int32_t kAdminRequestVersion = 107;

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
    if (args.version) {
        std::printf("tavro-server %s\n", ProgramVersionText().c_str());
        return 0;
    }

    // The signals are taken by sigwait below; every thread the server starts
    // inherits the blocked mask, so none of them is interrupted.
    sigset_t stopSignals;
    sigemptyset(&stopSignals);
    for (const int signal : {SIGINT, SIGTERM, SIGHUP})
        sigaddset(&stopSignals, signal);
    pthread_sigmask(SIG_BLOCK, &stopSignals, nullptr);

    if (!args.options.password.empty() && args.options.version < kPasswordJoinVersion)
        WriteLogLine(LogPriority::Warning,
                     "warning: clients join servers below version " +
                         std::to_string(kPasswordJoinVersion) +
                         " without a password, so every join will be refused");
    if (!args.options.adminPassword.empty() && args.options.version < kAdminRequestVersion)
        WriteLogLine(LogPriority::Warning,
                     "warning: administration stations log in to servers of version " +
                         std::to_string(kAdminRequestVersion) + " or more only");
    args.options.log = [](const std::string& line) {
        WriteLogLine(ServerLinePriority(line), line);
    };
    CStandInServer server(args.options);
    if (!server.Start(error)) {
        WriteLogLine(LogPriority::Error, "tavro-server: " + error);
        return 1;
    }
    int signal = 0;
    sigwait(&stopSignals, &signal);
    WriteLogLine(LogPriority::Info, std::string("stopping on ") + CloseSignalName(signal));
    server.Stop();
    return 0;
}
