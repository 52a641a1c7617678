// The per-packet work of capture and playback against the bare AMR codec
// work it contains. Capture: a 200 ms buffer at 22050 Hz is converted to
// 8000 Hz, fed to the DTMF decoder, measured and encoded. Playback: a
// received payload is decoded, a mix-in sound is mixed in and the peak is
// measured. Each side should cost at most 15% more than the codec alone.

#include "audio/dtmf_decoder.h"
#include "audio/mixin_sound.h"
#include "audio/mixing.h"
#include "audio/sound_packet.h"

#include "bench/bench_support.h"

#include <benchmark/benchmark.h>
#include <opencore-amrnb/interf_dec.h>
#include <opencore-amrnb/interf_enc.h>

#include <cmath>
#include <cstdio>
#include <map>
#include <string>
#include <vector>

namespace {

constexpr int kDeviceRate = 22050;
constexpr int kDeviceSamples = kPacketSamples * kDeviceRate / 8000;

std::vector<int16_t> DeviceBuffer() {
    return TestAudio(kDeviceRate, kDeviceSamples);
}

// The ten frames that the capture side encodes, at 8000 Hz.
std::vector<int16_t> PacketSamples() {
    CSoundPacket packet(DeviceBuffer().data(), kDeviceSamples);
    packet.ConvertTo8k(kDeviceRate);
    return packet.samples;
}

std::vector<uint8_t> Payload() {
    const std::vector<int16_t> samples = PacketSamples();
    CSoundPacket packet(samples.data(), kPacketSamples);
    packet.EncodeAmr();
    return packet.encoded;
}

const int kGain[kDtmfTones] = {100, 100, 100, 100, 100, 100, 100, 100};

void CaptureSide(benchmark::State& state) {
    const std::vector<int16_t> device = DeviceBuffer();
    int level[kDtmfTones] = {};
    InitDtmf();
    for (auto _ : state) {
        CSoundPacket packet(device.data(), kDeviceSamples);
        packet.ConvertTo8k(kDeviceRate);
        DetectDtmf(packet, kGain, level);
        packet.MeasurePeak(1280);
        packet.EncodeAmr();
        if (packet.encodedSize != 320)
            state.SkipWithError("the packet was not encoded");
        benchmark::DoNotOptimize(packet.encoded.data());
    }
}

void BareEncoding(benchmark::State& state) {
    std::vector<int16_t> samples = PacketSamples();
    void* encoder = Encoder_Interface_init(0);
    uint8_t out[320];
    for (auto _ : state) {
        for (int k = 0; k < 10; ++k)
            Encoder_Interface_Encode(encoder, MR122, samples.data() + 160 * k, out + 32 * k, 0);
        benchmark::DoNotOptimize(out);
    }
    Encoder_Interface_exit(encoder);
}

void PlaybackSide(benchmark::State& state) {
    const std::vector<uint8_t> payload = Payload();
    CMixInSound sound;
    sound.MakeTone(1000, 200, 8000, 0, 0);
    for (auto _ : state) {
        CSoundPacket packet(int(payload.size()), payload.data());
        packet.DecodeAmr();
        sound.position = 0;
        sound.position += MixInto(packet.samples.data(), packet.sampleCount,
                                  sound.samples.data() + sound.position,
                                  int(sound.samples.size()) - sound.position);
        packet.MeasurePeak(0);
        benchmark::DoNotOptimize(packet.peak);
    }
}

void BareDecoding(benchmark::State& state) {
    const std::vector<uint8_t> payload = Payload();
    void* decoder = Decoder_Interface_init();
    int16_t out[kPacketSamples];
    for (auto _ : state) {
        for (int k = 0; k < 10; ++k)
            Decoder_Interface_Decode(decoder, payload.data() + 32 * k, out + 160 * k, 0);
        benchmark::DoNotOptimize(out);
    }
    Decoder_Interface_exit(decoder);
}

} // namespace

BENCHMARK(CaptureSide)->Repetitions(7)->ReportAggregatesOnly(true)->Unit(benchmark::kMicrosecond);
BENCHMARK(BareEncoding)->Repetitions(7)->ReportAggregatesOnly(true)->Unit(benchmark::kMicrosecond);
BENCHMARK(PlaybackSide)->Repetitions(7)->ReportAggregatesOnly(true)->Unit(benchmark::kMicrosecond);
BENCHMARK(BareDecoding)->Repetitions(7)->ReportAggregatesOnly(true)->Unit(benchmark::kMicrosecond);

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    MedianReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    benchmark::Shutdown();

    int failures = 0;
    auto ratio = [&](const char* name, const char* ours, const char* bare) {
        const auto a = reporter.median.find(ours);
        const auto b = reporter.median.find(bare);
        if (a == reporter.median.end() || b == reporter.median.end() || b->second <= 0)
            return;
        const double r = a->second / b->second;
        std::printf(
            "%s: %.1f us against %.1f us for the codec alone, ratio %.3f (target <= 1.15)\n", name,
            a->second, b->second, r);
        if (r > 1.15)
            ++failures;
    };
    ratio("capture side of one packet", "CaptureSide", "BareEncoding");
    ratio("playback side of one packet", "PlaybackSide", "BareDecoding");
    return failures == 0 ? 0 : 1;
}
