#include "app/common/program_options.h"

#include "client/program_version.h"

#include <csignal>

std::optional<int> ParseProgramOptions(QCommandLineParser& parser, int argc, char** argv,
                                       const char* program, void (*printUsage)(FILE* out)) {
    const QCommandLineOption help(QStringList{QStringLiteral("h"), QStringLiteral("help")});
    const QCommandLineOption version(QStringLiteral("version"));
    parser.addOption(help);
    parser.addOption(version);
    QStringList arguments;
    for (int i = 0; i < argc; ++i)
        arguments << QString::fromLocal8Bit(argv[i]);
    if (!parser.parse(arguments)) {
        std::fprintf(stderr, "%s: %s\n\n", program, qPrintable(parser.errorText()));
        printUsage(stderr);
        return 2;
    }
    if (parser.isSet(help)) {
        printUsage(stdout);
        return 0;
    }
    if (parser.isSet(version)) {
        std::printf("%s %s\n", program, ProgramVersionText().c_str());
        return 0;
    }
    return std::nullopt;
}

const char* CloseSignalName(int signal) {
    switch (signal) {
    case SIGINT:
        return "SIGINT";
    case SIGHUP:
        return "SIGHUP";
    default:
        return "SIGTERM";
    }
}
