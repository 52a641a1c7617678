// tavro-tool amr-encode: turns a WAV file into a sound payload (AMR-NB 12.2
// storage-format frames back to back), as capture encodes its packets.

#include "app/tool/commands.h"
#include "app/tool/tool_args.h"
#include "audio/codec.h"
#include "audio/mixin_sound.h"
#include "audio/sound_packet.h"

#include <algorithm>
#include <cstdio>

namespace {
void Usage() {
    std::fprintf(stderr, "Usage: tavro-tool amr-encode IN.wav OUT.amr\n"
                         "Loads IN.wav as an announcement is loaded (8000 Hz mono), encodes it\n"
                         "in 200 ms packets and writes the AMR frames to OUT.amr. The end is\n"
                         "padded with silence to a whole 20 ms frame.\n");
}
} // namespace

int RunAmrEncode(int argc, char** argv) {
    std::vector<const char*> files;
    if (!ParseToolArgs(argc, argv, {}, files) || files.size() != 2) {
        Usage();
        return 2;
    }
    CMixInSound sound;
    if (!sound.LoadWave(files[0])) {
        std::fprintf(stderr, "tavro-tool: cannot load %s as a PCM WAV file\n", files[0]);
        return 1;
    }
    std::vector<int16_t>& samples = sound.samples;
    samples.resize((samples.size() + kFrameSamples - 1) / kFrameSamples * kFrameSamples, 0);

    FILE* out = std::fopen(files[1], "wb");
    bool ok = out != nullptr;
    for (size_t at = 0; ok && at < samples.size(); at += kPacketSamples) {
        const size_t count = std::min(samples.size() - at, size_t(kPacketSamples));
        CSoundPacket packet(samples.data() + at, int(count));
        packet.EncodeAmr();
        const size_t bytes = size_t(packet.encodedSize);
        ok = std::fwrite(packet.encoded.data(), 1, bytes, out) == bytes;
    }
    if (out)
        ok = std::fclose(out) == 0 && ok;
    if (!ok) {
        std::fprintf(stderr, "tavro-tool: cannot write %s\n", files[1]);
        return 1;
    }
    return 0;
}
