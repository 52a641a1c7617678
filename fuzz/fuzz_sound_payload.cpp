// libFuzzer target: an arbitrary sound payload decoded as playback decodes a
// received Sound message, and as `tavro-tool amr-decode` decodes a file.
// Neither may read past the payload; playback must produce whole frames, at
// most the per-packet limit, and the tool a WAV file of whole frames.

#include "app/tool/commands.h"
#include "audio/codec.h"
#include "audio/sound_message_conversion.h"
#include "audio/sound_packet.h"
#include "fuzz/scratch_file.h"

#include <sys/stat.h>

#include <cstddef>
#include <cstdint>
#include <cstdlib>

namespace {

void DecodeAsPlayback(const uint8_t* data, size_t size) {
    const CSoundMessage message(data, size, false);
    const std::unique_ptr<CSoundPacket> packet = MakeSoundPacket(message);
    packet->DecodeAmr();
    const size_t count = size_t(packet->sampleCount);
    if (packet->samples.size() != count || count % kFrameSamples != 0 ||
        count > size_t(kMaxDecodedFrames) * kFrameSamples)
        std::abort();
}

void DecodeAsTool(const uint8_t* data, size_t size) {
    static const std::string in = ScratchPath("payload.amr");
    static const std::string out = ScratchPath("payload.wav");
    WriteScratch(in, data, size);
    char* argv[] = {const_cast<char*>(in.c_str()), const_cast<char*>(out.c_str())};
    const int result = RunAmrDecode(2, argv);
    struct stat st;
    if ((result != 0 && result != 1) || stat(out.c_str(), &st) != 0 || st.st_size < 44 ||
        (st.st_size - 44) % (2 * kFrameSamples) != 0)
        std::abort();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    // A Sound message announces its length in 16 bits.
    if (size > 0xFFFF)
        return 0;
    DecodeAsPlayback(data, size);
    DecodeAsTool(data, size);
    return 0;
}
