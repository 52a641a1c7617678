// tavro-tool: utilities for people who run or debug a Tavro gateway.

#include "app/tool/commands.h"

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
    {"amr-encode", "amr-encode IN.wav OUT.amr   encode a WAV file into AMR frames", RunAmrEncode},
    {"amr-decode", "amr-decode IN.amr OUT.wav   decode AMR frames into a WAV file", RunAmrDecode},
};

void PrintUsage(FILE* out) {
    std::fprintf(out, "Usage: tavro-tool COMMAND [ARGUMENTS]\n\nCommands:\n");
    for (const Command& c : kCommands)
        std::fprintf(out, "  %s\n", c.usage);
    std::fprintf(out, "\n  --help                   show this text\n");
}
} // namespace

int main(int argc, char** argv) {
    if (argc >= 2 && (!std::strcmp(argv[1], "--help") || !std::strcmp(argv[1], "-h"))) {
        PrintUsage(stdout);
        return 0;
    }
    if (argc >= 2) {
        for (const Command& c : kCommands)
            if (!std::strcmp(argv[1], c.name))
                return c.run(argc - 2, argv + 2);
        std::fprintf(stderr, "tavro-tool: unknown command '%s'\n\n", argv[1]);
    }
    PrintUsage(stderr);
    return 2;
}
