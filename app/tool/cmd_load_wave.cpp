// tavro-tool load-wave: shows what the gateway makes of an announcement's WAV
// file by writing the 8000 Hz mono sound it loads.

#include "app/tool/commands.h"
#include "app/tool/tool_args.h"
#include "audio/mixin_sound.h"
#include "audio/wav_file.h"
#include "platform/string_format.h"

#include <cstdio>

namespace {
void Usage() {
    std::fprintf(stderr, "Usage: tavro-tool load-wave IN.wav OUT.wav\n"
                         "Loads IN.wav as an announcement is loaded and writes the resulting\n"
                         "8000 Hz mono 16-bit sound to OUT.wav.\n");
}
} // namespace

int RunLoadWave(int argc, char** argv) {
    std::vector<const char*> files;
    if (!ParseToolArgs(argc, argv, {}, files) || files.size() != 2) {
        Usage();
        return 2;
    }
    CMixInSound sound;
    if (!sound.LoadWave(files[0])) {
        std::fprintf(stderr, "%s\n", StringPrintf(kLoadWaveErrorFormat, files[0]).c_str());
        return 1;
    }
    if (!WriteWaveFile(files[1], sound.samples)) {
        std::fprintf(stderr, "tavro-tool: cannot write %s\n", files[1]);
        return 1;
    }
    return 0;
}
