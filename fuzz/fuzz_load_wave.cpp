// libFuzzer target: loading an announcement's WAV file from arbitrary bytes
// must stay inside the file and within the one-hour limit, and report success
// exactly when it produced samples.

#include "audio/mixin_sound.h"
#include "fuzz/scratch_file.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static const std::string path = ScratchPath("announcement.wav");
    WriteScratch(path, data, size);
    CMixInSound sound;
    const bool loaded = sound.LoadWave(path);
    if (loaded == sound.samples.empty() || sound.samples.size() > 3600u * 8000u)
        std::abort();
    return 0;
}
