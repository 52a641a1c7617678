// tavro-tool dtmf: lists the DTMF keys that the gateway would recognise in a
// WAV file.

#include "app/tool/commands.h"
#include "app/tool/input_file.h"
#include "app/tool/tool_args.h"
#include "audio/dtmf_decoder.h"
#include "audio/mixin_sound.h"
#include "audio/sound_packet.h"

#include <algorithm>
#include <climits>
#include <cstdio>
#include <string>

namespace {
const char kUsage[] = "Usage: tavro-tool dtmf FILE.wav [--gain N] [--detector D]\n"
                      "Loads FILE.wav as an announcement is loaded (8000 Hz mono), runs the DTMF\n"
                      "decoder over it in 200 ms packets with gain N for every tone (default\n"
                      "3000) and prints the recognised keys on one line. D picks the detector as\n"
                      "the gateway's setting DTMFDETECTOR does: 0 (default) the 299-sample one,\n"
                      "1 the sliding one that also hears short keys.\n";
} // namespace

int RunDtmf(int argc, char** argv) {
    int gain = 3000;
    int detector = 0;
    const IntOption options[] = {{"--gain", 0, INT_MAX, &gain}, {"--detector", 0, 1, &detector}};
    std::vector<std::string> files;
    if (const auto code = ParseToolArgs(argc, argv, {kUsage, options, 1, 1}, files))
        return *code;
    if (ReportInputFileProblem(files[0]))
        return 1;
    CMixInSound sound;
    if (!sound.LoadWave(files[0])) {
        std::fprintf(stderr, "tavro-tool: cannot load %s as a PCM WAV file\n", files[0].c_str());
        return 1;
    }

    std::string keys;
    UseDtmfDetector(DtmfDetectorKindOf(detector));
    SetDtmfKeySink([&keys](char key) { keys += key; });
    InitDtmf();
    int gains[kDtmfTones];
    std::fill_n(gains, kDtmfTones, gain);
    int levels[kDtmfTones] = {};
    const size_t total = sound.samples.size();
    for (size_t at = 0; at < total; at += kPacketSamples) {
        const size_t count = std::min(total - at, size_t(kPacketSamples));
        CSoundPacket packet(sound.samples.data() + at, int(count));
        DetectDtmf(packet, gains, levels);
    }
    SetDtmfKeySink(nullptr);
    std::printf("%s\n", keys.c_str());
    return 0;
}
