#include "app/server/server_args.h"

#include "server/host_port.h"

#include <QCommandLineParser>
#include <QStringList>

#include <charconv>
#include <climits>
#include <cmath>
#include <cstdlib>

const char* const kServerUsage =
    "Usage: tavro-server [OPTION]...\n"
    "A stand-in conference server for tests and demonstrations.\n"
    "\n"
    "  --listen HOST:PORT    address to listen on (default 0.0.0.0:10024;\n"
    "                        an IPv6 address in brackets: [::]:10024; port 0\n"
    "                        picks a free port, which the log names)\n"
    "  --server-version N    version announced to stations (default 120)\n"
    "  --password TEXT       password that every join must carry (default none)\n"
    "  --admin-password TEXT enables administration: a station that logs in\n"
    "                        with it sees every station's status and can mute,\n"
    "                        kick and ban stations (default none: refused)\n"
    "  --ping-interval S     seconds between pings, fractions allowed; 0 for\n"
    "                        never (default 10)\n"
    "  --id-interval S       seconds between Send ID requests; 0 for never\n"
    "                        (default 0)\n"
    "  --welcome TEXT        text sent to each station when it first joins\n"
    "  --version             print the program's version and exit\n"
    "  --help                show this help and exit\n"
    "\n"
    "Events are logged to standard error, one line each. SIGINT, SIGTERM or\n"
    "SIGHUP stops the server. Exit status: 0 after a stop, 1 when it cannot\n"
    "listen, 2 for bad arguments.\n";

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

// An option as the user wrote it: "--name", or "-n" for one letter.
std::string Spelled(const QString& name) {
    return (name.size() == 1 ? "-" : "--") + name.toStdString();
}
} // namespace

bool ParseServerArgs(int argc, const char* const* argv, ServerArgs& out, std::string& error) {
    QCommandLineParser parser;
    const QCommandLineOption help(QStringLiteral("help"));
    const QCommandLineOption version(QStringLiteral("version"));
    const QCommandLineOption listen(QStringLiteral("listen"), QString(),
                                    QStringLiteral("HOST:PORT"));
    const QCommandLineOption serverVersion(QStringLiteral("server-version"), QString(),
                                           QStringLiteral("N"));
    const QCommandLineOption password(QStringLiteral("password"), QString(),
                                      QStringLiteral("TEXT"));
    const QCommandLineOption adminPassword(QStringLiteral("admin-password"), QString(),
                                           QStringLiteral("TEXT"));
    const QCommandLineOption welcome(QStringLiteral("welcome"), QString(), QStringLiteral("TEXT"));
    const QCommandLineOption pingInterval(QStringLiteral("ping-interval"), QString(),
                                          QStringLiteral("S"));
    const QCommandLineOption idInterval(QStringLiteral("id-interval"), QString(),
                                        QStringLiteral("S"));
    parser.addOptions({help, version, listen, serverVersion, password, adminPassword, welcome,
                       pingInterval, idInterval});
    // The parser takes the program's name first.
    QStringList arguments{QStringLiteral("tavro-server")};
    for (int i = 0; i < argc; ++i)
        arguments << QString::fromLocal8Bit(argv[i]);
    if (!parser.parse(arguments)) {
        // The one other failure: a value option at the very end, without its value.
        error = !parser.unknownOptionNames().isEmpty()
                    ? "unknown argument \"" + Spelled(parser.unknownOptionNames().front()) + "\""
                    : "option " + std::string(argv[argc - 1]) + " needs a value";
        return false;
    }
    if (!parser.positionalArguments().isEmpty()) {
        error = "unknown argument \"" + parser.positionalArguments().front().toStdString() + "\"";
        return false;
    }
    out.help = parser.isSet(help);
    out.version = parser.isSet(version);

    CServerOptions& o = out.options;
    const auto value = [&parser](const QCommandLineOption& option) {
        return parser.value(option).toStdString();
    };
    if (parser.isSet(listen)) {
        HostPort where;
        if (!ParseHostPort(value(listen), where, error)) {
            error = "--listen: " + error;
            return false;
        }
        o.listen = value(listen);
    }
    if (parser.isSet(serverVersion) && !ParseVersion(value(serverVersion), o.version)) {
        error = "--server-version takes a whole number from 0 to " + std::to_string(INT32_MAX) +
                ", not \"" + value(serverVersion) + "\"";
        return false;
    }
    if (parser.isSet(password))
        o.password = value(password);
    if (parser.isSet(adminPassword))
        o.adminPassword = value(adminPassword);
    if (parser.isSet(welcome))
        o.welcome = value(welcome);
    for (const auto& [option, interval] :
         {std::pair{&pingInterval, &o.pingInterval}, std::pair{&idInterval, &o.idInterval}}) {
        if (parser.isSet(*option) && !ParseSeconds(value(*option), *interval)) {
            error = Spelled(option->names().front()) + " takes seconds from 0 to 1000000, not \"" +
                    value(*option) + "\"";
            return false;
        }
    }
    return true;
}
