// DTMF decoder throughput: samples per second through DetectDtmf, against a
// plain loop that only sums the same samples, so the ratio shows what the
// detector costs over merely touching the audio.

#include "audio/dtmf_decoder.h"
#include "audio/sound_packet.h"

#include <benchmark/benchmark.h>

#include <cmath>
#include <cstdio>
#include <map>
#include <string>
#include <vector>

#include <unistd.h>

namespace {

// Ten seconds of speech-like noise with a DTMF key in the middle, in packets.
std::vector<int16_t> TestAudio() {
    std::vector<int16_t> s(80000);
    uint32_t seed = 12345;
    for (size_t i = 0; i < s.size(); ++i) {
        seed = seed * 1103515245u + 12345u;
        double v = int(seed >> 16 & 0x0FFF) - 2048;
        if (i >= 40000 && i < 41600)
            v += 6000 * std::sin(2 * M_PI * 770 * double(i) / 8000) +
                 6000 * std::sin(2 * M_PI * 1336 * double(i) / 8000);
        s[i] = int16_t(std::lround(v));
    }
    return s;
}

void BM_DetectDtmf(benchmark::State& state) {
    const std::vector<int16_t> audio = TestAudio();
    std::vector<CSoundPacket*> packets;
    for (size_t at = 0; at < audio.size(); at += kPacketSamples)
        packets.push_back(new CSoundPacket(audio.data() + at, kPacketSamples));
    int gain[kDtmfTones], level[kDtmfTones];
    std::fill_n(gain, kDtmfTones, 3000);
    int keys = 0;
    SetDtmfKeySink([&keys](char) { ++keys; });
    InitDtmf();
    for (auto _ : state) {
        for (CSoundPacket* p : packets)
            DetectDtmf(*p, gain, level);
        benchmark::DoNotOptimize(level);
    }
    SetDtmfKeySink(nullptr);
    for (CSoundPacket* p : packets)
        delete p;
    state.SetItemsProcessed(int64_t(state.iterations()) * int64_t(audio.size()));
    state.counters["keys_per_pass"] = benchmark::Counter(keys, benchmark::Counter::kAvgIterations);
}
BENCHMARK(BM_DetectDtmf);

void BM_SumSamples(benchmark::State& state) {
    const std::vector<int16_t> audio = TestAudio();
    for (auto _ : state) {
        int64_t sum = 0;
        for (size_t at = 0; at < audio.size(); at += kPacketSamples) {
            const int16_t* p = audio.data() + at;
            benchmark::DoNotOptimize(p);
            for (int i = 0; i < kPacketSamples; ++i)
                sum += p[i];
        }
        benchmark::DoNotOptimize(sum);
    }
    state.SetItemsProcessed(int64_t(state.iterations()) * int64_t(audio.size()));
}
BENCHMARK(BM_SumSamples);

// Prints the usual table and keeps each benchmark's samples per second.
class RateReporter : public benchmark::ConsoleReporter {
public:
    RateReporter() : ConsoleReporter(isatty(STDOUT_FILENO) ? OO_ColorTabular : OO_Tabular) {}
    void ReportRuns(const std::vector<Run>& runs) override {
        ConsoleReporter::ReportRuns(runs);
        for (const Run& run : runs) {
            const auto items = run.counters.find("items_per_second");
            if (items != run.counters.end())
                rates[run.benchmark_name()] = items->second.value;
        }
    }
    std::map<std::string, double> rates;
};

} // namespace

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    RateReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    benchmark::Shutdown();
    const double dtmf = reporter.rates["BM_DetectDtmf"];
    const double sum = reporter.rates["BM_SumSamples"];
    if (dtmf > 0 && sum > 0)
        std::printf("DetectDtmf: %.1f Msamples/s (%.0f times real time at 8000 Hz); "
                    "plain sum: %.1f Msamples/s; sum / DetectDtmf = %.1f\n",
                    dtmf / 1e6, dtmf / 8000, sum / 1e6, sum / dtmf);
    return 0;
}
