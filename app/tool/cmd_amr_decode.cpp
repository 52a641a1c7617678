// tavro-tool amr-decode: turns an AMR file, or a sound payload (the same
// frames without the file's magic line), into a WAV file, as playback decodes
// received packets.

#include "app/tool/amr_file.h"
#include "app/tool/commands.h"
#include "app/tool/input_file.h"
#include "app/tool/tool_args.h"
#include "audio/codec.h"
#include "audio/sound_packet.h"
#include "audio/wav_file.h"

#include <cerrno>
#include <cstdio>
#include <cstring>

namespace {
const char kUsage[] = "Usage: tavro-tool amr-decode IN.amr OUT.wav\n"
                      "Decodes the AMR frames of IN.amr (an AMR file, or frames back to back\n"
                      "without its \"#!AMR\" line) in packets of ten frames and writes the\n"
                      "8000 Hz mono 16-bit sound to OUT.wav.\n";

bool ReadWholeFile(const std::string& path, std::vector<uint8_t>& bytes) {
    FILE* in = std::fopen(path.c_str(), "rb");
    if (!in)
        return false;
    uint8_t buffer[64 * 1024];
    size_t n;
    while ((n = std::fread(buffer, 1, sizeof buffer, in)) > 0)
        bytes.insert(bytes.end(), buffer, buffer + n);
    const bool ok = !std::ferror(in);
    std::fclose(in);
    return ok;
}

bool StartsWithFileHeader(const std::vector<uint8_t>& bytes) {
    return bytes.size() >= kAmrFileHeaderSize &&
           std::memcmp(bytes.data(), kAmrFileHeader, kAmrFileHeaderSize) == 0;
}
} // namespace

int RunAmrDecode(int argc, char** argv) {
    std::vector<std::string> files;
    if (const auto code = ParseToolArgs(argc, argv, {kUsage, {}, 2, 2}, files))
        return *code;
    if (ReportInputFileProblem(files[0]))
        return 1;
    std::vector<uint8_t> payload;
    if (!ReadWholeFile(files[0], payload)) {
        std::fprintf(stderr, "tavro-tool: cannot read %s: %s\n", files[0].c_str(),
                     std::strerror(errno));
        return 1;
    }

    CWaveFileWriter writer;
    if (!writer.Open(files[1])) {
        std::fprintf(stderr, "tavro-tool: cannot write %s\n", files[1].c_str());
        return 1;
    }
    // Walks the frames one by one and decodes ten at a time, the size of one
    // captured packet. A byte that is no frame header, or a frame cut short
    // by the end of the file, ends the walk.
    constexpr int kFramesPerPacket = kPacketSamples / kFrameSamples;
    size_t at = StartsWithFileHeader(payload) ? kAmrFileHeaderSize : 0;
    bool whole = true;
    bool written = true;
    while (at < payload.size() && whole && written) {
        size_t end = at;
        for (int frames = 0; frames < kFramesPerPacket && end < payload.size(); ++frames) {
            const size_t size = size_t(AmrFrameSize(payload[end]));
            if (size == 0 || size > payload.size() - end) {
                whole = false;
                break;
            }
            end += size;
        }
        if (end == at)
            break;
        CSoundPacket packet(int(end - at), payload.data() + at);
        packet.DecodeAmr();
        written = writer.Write({packet.samples.data(), size_t(packet.sampleCount)});
        at = end;
    }
    if (!writer.Close() || !written) {
        std::fprintf(stderr, "tavro-tool: cannot write %s\n", files[1].c_str());
        return 1;
    }
    if (!whole) {
        std::fprintf(stderr, "tavro-tool: %s: no AMR frame at byte %zu; decoded up to there\n",
                     files[0].c_str(), at);
        return 1;
    }
    return 0;
}
