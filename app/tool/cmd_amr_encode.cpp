// tavro-tool amr-encode: turns a WAV file into an AMR file: the magic line
// "#!AMR\n", then AMR-NB 12.2 storage-format frames back to back, encoded as
// capture encodes its packets.

#include "app/tool/amr_file.h"
#include "app/tool/commands.h"
#include "app/tool/input_file.h"
#include "app/tool/tool_args.h"
#include "audio/codec.h"
#include "audio/mixin_sound.h"
#include "audio/sound_packet.h"

#include <algorithm>
#include <cstdio>

namespace {
const char kUsage[] = "Usage: tavro-tool amr-encode IN.wav OUT.amr\n"
                      "Loads IN.wav as an announcement is loaded (8000 Hz mono), encodes it\n"
                      "in 200 ms packets and writes an AMR file (\"#!AMR\" and the frames)\n"
                      "to OUT.amr. The end is padded with silence to a whole 20 ms frame.\n";
} // namespace

int RunAmrEncode(int argc, char** argv) {
    std::vector<std::string> files;
    if (const auto code = ParseToolArgs(argc, argv, {kUsage, {}, 2, 2}, files))
        return *code;
    if (ReportInputFileProblem(files[0]))
        return 1;
    CMixInSound sound;
    if (!sound.LoadWave(files[0])) {
        std::fprintf(stderr, "tavro-tool: cannot load %s as a PCM WAV file\n", files[0].c_str());
        return 1;
    }
    std::vector<int16_t>& samples = sound.samples;
    samples.resize((samples.size() + kFrameSamples - 1) / kFrameSamples * kFrameSamples, 0);

    FILE* out = std::fopen(files[1].c_str(), "wb");
    bool ok = out && std::fwrite(kAmrFileHeader, 1, kAmrFileHeaderSize, out) == kAmrFileHeaderSize;
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
        std::fprintf(stderr, "tavro-tool: cannot write %s\n", files[1].c_str());
        return 1;
    }
    return 0;
}
