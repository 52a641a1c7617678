// The window thread's cost of one device notification, against the 200 ms
// that one buffer lasts. Capture: OnData with a full buffer from a 22050 Hz
// device (conversion to 8000 Hz, DTMF analysis, peak, VOX decision, AMR
// encoding, hand-over to the transmit queue). Playback: OnDone on a 22050 Hz
// device with a received packet waiting (AMR decoding, a mix-in sound and the
// keying tone mixed in, peak, resampling, write). A notification must take a
// small fraction of a buffer's time, or the device runs dry.

#include "audio/mixin_sound.h"
#include "audio/sound_host.h"
#include "audio/sound_in.h"
#include "audio/sound_out.h"

#include "bench/bench_support.h"

#include <benchmark/benchmark.h>

#include <cmath>
#include <cstdio>
#include <map>
#include <string>
#include <vector>

namespace {

constexpr int kDeviceRate = 22050;
constexpr double kBufferMicroseconds = 200000.0;
// A notification may use at most this share of a buffer's time.
constexpr double kMostRatio = 0.05;

// A sound card that runs only at 22050 Hz and takes every buffer; the
// benchmark hands them back itself.
class CBenchDevice : public IWaveIn, public IWaveOut {
public:
    WaveStatus Open(const WaveDeviceId&, int rate, IWaveInSink&) override { return OpenAt(rate); }
    WaveStatus Open(const WaveDeviceId&, int rate, IWaveOutSink&) override { return OpenAt(rate); }
    bool AddBuffer(WaveBuffer&&) override { return true; }
    bool Write(WaveBuffer&& buffer) override {
        benchmark::DoNotOptimize(buffer.samples.data());
        return true;
    }
    bool Start() override { return true; }
    void Reset() override {}
    void Close() override {}

private:
    static WaveStatus OpenAt(int rate) {
        if (rate != kDeviceRate)
            return {WaveError::BadFormat, ""};
        return {};
    }
};

class CBenchSink : public IWaveInSink, public IWaveOutSink {
public:
    void OnWaveInData(WaveBuffer) override {}
    void OnWaveInClose() override {}
    void OnWaveOutDone(WaveBuffer) override {}
    void OnWaveOutClose() override {}
    void OnWaveInFailed(const std::string&) override {}
    void OnWaveOutFailed(const std::string&) override {}
};

// Connected, holding the floor, keyed by tone.
class CBenchHost : public ISoundHost {
public:
    CBenchHost() { tone.MakeTone(1750, 200, 3000, 0, 0); }
    bool IsConnected() const override { return true; }
    bool MayTalk(bool) const override { return true; }
    bool IsTestMode() const override { return false; }
    void ShowError(const std::string& text) override {
        std::fprintf(stderr, "error: %s\n", text.c_str());
    }
    RigSquelchLine SquelchLine() const override { return RigSquelchLine::None; }
    RigKeyingMethod KeyingMethod() const override { return RigKeyingMethod::Tone; }
    bool IsKeyed() const override { return true; }
    void Key() override {}
    void Unkey() override {}
    void UnkeyAfter(uint32_t) override {}
    CMixInSound& KeyingTone() override { return tone; }
    void PostConnectionLost() override {}
    void StartCapture() override {}
    bool StartPlayback() override { return true; }

    CMixInSound tone;
};

void CaptureNotification(benchmark::State& state) {
    CBenchDevice device;
    CBenchSink sink;
    CBenchHost host;
    CSoundIn in(device, sink, host);
    in.dtmfGain.fill(3000);
    in.voxLevel = 1000;
    in.Start();
    const std::vector<int16_t> audio = TestAudio(kDeviceRate, in.bufferSamples);
    for (auto _ : state) {
        state.PauseTiming();
        WaveBuffer buffer;
        buffer.samples = audio;
        buffer.filled = audio.size();
        state.ResumeTiming();
        in.OnData(std::move(buffer));
        if (!in.transmitQueue.Get())
            state.SkipWithError("the packet was not sent");
    }
}

void PlaybackNotification(benchmark::State& state) {
    CBenchDevice device;
    CBenchSink sink;
    CBenchHost host;
    CSoundOut out(device, sink, host);
    out.Start();
    CSoundPacket source(TestAudio(8000, kPacketSamples).data(), kPacketSamples);
    source.EncodeAmr();
    // An announcement in the middle of playing, mixed into every buffer.
    out.currentMixIn = std::make_unique<CMixInSound>();
    out.currentMixIn->MakeTone(800, 400, 4000, 0, 0);
    for (auto _ : state) {
        state.PauseTiming();
        out.currentMixIn->position = 0;
        out.receiveQueue.Add(
            std::make_unique<CSoundPacket>(source.encodedSize, source.encoded.data()));
        state.ResumeTiming();
        out.OnDone(WaveBuffer{});
        if (out.fillerRun != 0 || !out.currentMixIn)
            state.SkipWithError("the packet was not played with the sound");
    }
}

} // namespace

BENCHMARK(CaptureNotification)
    ->Repetitions(7)
    ->ReportAggregatesOnly(true)
    ->Unit(benchmark::kMicrosecond);
BENCHMARK(PlaybackNotification)
    ->Repetitions(7)
    ->ReportAggregatesOnly(true)
    ->Unit(benchmark::kMicrosecond);

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    MedianReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    benchmark::Shutdown();

    int failures = 0;
    auto ratio = [&](const char* name, const char* benchmarkName) {
        const auto found = reporter.median.find(benchmarkName);
        if (found == reporter.median.end())
            return;
        const double r = found->second / kBufferMicroseconds;
        std::printf("%s: %.1f us, ratio to the 200 ms buffer %.4f (target <= %.2f)\n", name,
                    found->second, r, kMostRatio);
        if (r > kMostRatio)
            ++failures;
    };
    ratio("capture notification (OnData, 22050 Hz)", "CaptureNotification");
    ratio("playback notification (OnDone, 22050 Hz)", "PlaybackNotification");
    return failures == 0 ? 0 : 1;
}
