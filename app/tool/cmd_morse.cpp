// tavro-tool morse: writes the gateway's Morse rendering of a text to a WAV
// file.

#include "app/tool/commands.h"
#include "app/tool/tool_args.h"
#include "audio/morse.h"
#include "audio/wav_file.h"

#include <cstdio>

namespace {
const char kUsage[] = "Usage: tavro-tool morse TEXT OUT.wav [--wpm N] [--freq HZ] [--volume V]\n"
                      "Writes the Morse code of TEXT as an 8000 Hz mono 16-bit WAV file.\n"
                      "Defaults: 18 words per minute (0 to 1500), 650 Hz (1 to 3999), volume\n"
                      "5000 (0 to 32767).\n";
} // namespace

int RunMorse(int argc, char** argv) {
    int wpm = 18, frequency = 650, volume = 5000;
    const IntOption options[] = {
        {"--wpm", 0, 1500, &wpm},
        {"--freq", 1, 3999, &frequency},
        {"--volume", 0, 32767, &volume},
    };
    std::vector<std::string> args;
    if (const auto code = ParseToolArgs(argc, argv, {kUsage, options, 2, 2}, args))
        return *code;
    if (!CMorse::HasCode(args[0])) {
        std::fprintf(
            stderr, "tavro-tool: \"%s\" has nothing to key: Morse has letters, digits, / and ?\n%s",
            args[0].c_str(), kUsage);
        return 2;
    }
    CMorse morse;
    morse.Setup(frequency, wpm, volume);
    const std::unique_ptr<CMixInSound> sound = morse.Build(args[0]);
    if (!WriteWaveFile(args[1], sound->samples)) {
        std::fprintf(stderr, "tavro-tool: cannot write %s\n", args[1].c_str());
        return 1;
    }
    return 0;
}
