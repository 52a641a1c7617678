#include "app/server/server_args.h"

#include "server/host_port.h"

#include <algorithm>
#include <charconv>
#include <climits>
#include <cmath>
#include <cstdlib>
#include <string_view>

const char* const kServerUsage =
    "Usage: tavro-server [OPTION]...\n"
    "A stand-in conference server for tests and demonstrations.\n"
    "\n"
    "  --listen HOST:PORT    address to listen on (default 0.0.0.0:10024;\n"
    "                        an IPv6 address in brackets: [::]:10024; port 0\n"
    "                        picks a free port, which the log names)\n"
    "  --version N           version announced to stations (default 120)\n"
    "  --password TEXT       password that every join must carry (default none)\n"
    "  --admin-password TEXT enables administration: a station that logs in\n"
    "                        with it sees every station's status and can mute,\n"
    "                        kick and ban stations (default none: refused)\n"
    "  --ping-interval S     seconds between pings, fractions allowed; 0 for\n"
    "                        never (default 10)\n"
    "  --id-interval S       seconds between Send ID requests; 0 for never\n"
    "                        (default 0)\n"
    "  --welcome TEXT        text sent to each station when it first joins\n"
    "  --help                show this help and exit\n"
    "\n"
    "Events are logged to standard error, one line each. SIGINT or SIGTERM\n"
    "stops the server. Exit status: 0 after a stop, 1 when it cannot listen,\n"
    "2 for bad arguments.\n";

namespace {
// The longest interval accepted, in seconds (about 11 days).
constexpr double kMaxIntervalSeconds = 1e6;

bool ParseSeconds(const std::string& text, std::chrono::milliseconds& out) {
    char* end = nullptr;
    const double seconds = std::strtod(text.c_str(), &end);
    if (text.empty() || *end != '\0' || !std::isfinite(seconds) || seconds < 0 ||
        seconds > kMaxIntervalSeconds)
        return false;
    out = std::chrono::milliseconds(std::llround(seconds * 1000));
    return true;
}

bool ParseVersion(const std::string& text, int32_t& out) {
    const char* end = text.data() + text.size();
    const auto result = std::from_chars(text.data(), end, out);
    return !text.empty() && result.ec == std::errc() && result.ptr == end && out >= 0;
}
} // namespace

bool ParseServerArgs(int argc, const char* const* argv, ServerArgs& out, std::string& error) {
    static const std::string_view kValueOptions[] = {
        "--listen",  "--version",       "--password",   "--admin-password",
        "--welcome", "--ping-interval", "--id-interval"};
    for (int i = 0; i < argc; ++i) {
        std::string_view arg = argv[i];
        if (arg == "--help") {
            out.help = true;
            continue;
        }
        // Both "--name value" and "--name=value".
        std::string value;
        const size_t equals = arg.find('=');
        const bool inlineValue = equals != std::string_view::npos;
        if (inlineValue) {
            value = arg.substr(equals + 1);
            arg = arg.substr(0, equals);
        }
        if (std::find(std::begin(kValueOptions), std::end(kValueOptions), arg) ==
            std::end(kValueOptions)) {
            error = "unknown argument \"" + std::string(argv[i]) + "\"";
            return false;
        }
        if (!inlineValue) {
            if (i + 1 == argc) {
                error = "option " + std::string(arg) + " needs a value";
                return false;
            }
            value = argv[++i];
        }
        CServerOptions& o = out.options;
        if (arg == "--listen") {
            HostPort where;
            if (!ParseHostPort(value, where, error)) {
                error = "--listen: " + error;
                return false;
            }
            o.listen = value;
        } else if (arg == "--version") {
            if (!ParseVersion(value, o.version)) {
                error = "--version takes a whole number from 0 to " + std::to_string(INT32_MAX) +
                        ", not \"" + value + "\"";
                return false;
            }
        } else if (arg == "--password") {
            o.password = value;
        } else if (arg == "--admin-password") {
            o.adminPassword = value;
        } else if (arg == "--welcome") {
            o.welcome = value;
        } else {
            auto& interval = arg == "--ping-interval" ? o.pingInterval : o.idInterval;
            if (!ParseSeconds(value, interval)) {
                error =
                    std::string(arg) + " takes seconds from 0 to 1000000, not \"" + value + "\"";
                return false;
            }
        }
    }
    return true;
}
