// tavro-tool: utilities for people who run or debug a Tavro gateway.

#include "app/common/program_options.h"
#include "app/tool/commands.h"

#include <QCommandLineParser>
#include <QStringList>

#include <cstdio>
#include <cstring>

namespace {
struct Command {
    const char* name;
    const char* usage;
    int (*run)(int argc, char** argv);
};

const Command kCommands[] = {
    {"decode-stream",
     "decode-stream [FILE|-]   describe each protocol message of a recorded stream",
     RunDecodeStream},
    {"dtmf", "dtmf FILE.wav [--gain N]   print the DTMF keys recognised in a WAV file", RunDtmf},
    {"morse",
     "morse TEXT OUT.wav [--wpm N] [--freq HZ] [--volume V]\n"
     "                           write TEXT as Morse code in a WAV file",
     RunMorse},
    {"load-wave", "load-wave IN.wav OUT.wav   write the 8000 Hz mono sound loaded from a WAV file",
     RunLoadWave},
    {"amr-encode", "amr-encode IN.wav OUT.amr   encode a WAV file into an AMR file", RunAmrEncode},
    {"amr-decode", "amr-decode IN.amr OUT.wav   decode AMR frames into a WAV file", RunAmrDecode},
};

void PrintUsage(FILE* out) {
    std::fprintf(out, "Usage: tavro-tool COMMAND [ARGUMENTS]\n\nCommands:\n");
    for (const Command& c : kCommands)
        std::fprintf(out, "  %s\n", c.usage);
    std::fprintf(out, "\n  COMMAND --help           show the command's own text\n"
                      "  --version                print the version and exit\n"
                      "  --help                   show this text\n");
}
} // namespace

int main(int argc, char** argv) {
    // Options before the command are the tool's; from the command on, every
    // argument is the command's.
    QCommandLineParser parser;
    parser.setOptionsAfterPositionalArgumentsMode(QCommandLineParser::ParseAsPositionalArguments);
    if (const std::optional<int> done =
            ParseProgramOptions(parser, argc, argv, "tavro-tool", PrintUsage))
        return *done;
    const QStringList rest = parser.positionalArguments();
    if (rest.isEmpty()) {
        PrintUsage(stderr);
        return 2;
    }
    // The command's arguments are the last ones of argv.
    const int first = argc - int(rest.size());
    for (const Command& c : kCommands)
        if (rest.front() == QLatin1String(c.name))
            return c.run(argc - first - 1, argv + first + 1);
    std::fprintf(stderr, "tavro-tool: unknown command '%s'\n\n", qPrintable(rest.front()));
    PrintUsage(stderr);
    return 2;
}
