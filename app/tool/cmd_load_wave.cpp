// tavro-tool load-wave: shows what the gateway makes of an announcement's WAV
// file by writing the 8000 Hz mono sound it loads.

#include "app/tool/commands.h"
#include "app/tool/input_file.h"
#include "app/tool/tool_args.h"
#include "audio/mixin_sound.h"
#include "audio/wav_file.h"
#include "platform/string_format.h"

#include <cstdio>

namespace {
const char kUsage[] = "Usage: tavro-tool load-wave IN.wav OUT.wav\n"
                      "Loads IN.wav as an announcement is loaded and writes the resulting\n"
                      "8000 Hz mono 16-bit sound to OUT.wav.\n";
} // namespace

int RunLoadWave(int argc, char** argv) {
    std::vector<std::string> files;
    if (const auto code = ParseToolArgs(argc, argv, {kUsage, {}, 2, 2}, files))
        return *code;
    if (ReportInputFileProblem(files[0]))
        return 1;
    CMixInSound sound;
    if (!sound.LoadWave(files[0])) {
        std::fprintf(stderr, "%s\n", StringPrintf(kLoadWaveErrorFormat, files[0].c_str()).c_str());
        return 1;
    }
    if (!WriteWaveFile(files[1], sound.samples)) {
        std::fprintf(stderr, "tavro-tool: cannot write %s\n", files[1].c_str());
        return 1;
    }
    return 0;
}
