// Reading a long stream of Sound + filler pairs through ReadMessage against
// reading the same bytes with plain large recv() calls.

#include "protocol/conference_messages.h"
#include "protocol/msg.h"

#include <benchmark/benchmark.h>
#include <sys/socket.h>

#include <cstdio>
#include <map>
#include <string>
#include <thread>
#include <vector>

namespace {

constexpr int kPairsPerStream = 1000;

// The stream a talking station's server sends: each 320-byte Sound message
// followed by a 680-byte filler.
std::vector<uint8_t> SoundStream() {
    std::vector<uint8_t> bytes;
    CByteWriter out(bytes);
    CSoundMessage sound;
    sound.command = kCmdSound;
    sound.length = 320;
    sound.payload.assign(320, 0x3C);
    CDummyMessage filler(1000 - 320);
    for (int i = 0; i < kPairsPerStream; ++i) {
        sound.Encode(out);
        filler.Encode(out);
    }
    return bytes;
}

struct Link {
    Link() {
        socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, fds);
        reader = std::make_unique<CSocketStream>(fds[0]);
        writer = std::make_unique<CSocketStream>(fds[1]);
    }
    int fds[2];
    std::unique_ptr<CSocketStream> reader, writer;
};

// Sends the stream once per iteration from a second thread.
std::thread StartWriter(Link& link, const std::vector<uint8_t>& stream, int64_t iterations) {
    return std::thread([&link, &stream, iterations] {
        CStopFlag stop;
        for (int64_t i = 0; i < iterations; ++i)
            WriteBytes(*link.writer, stop, stream.data(), stream.size());
    });
}

void BM_ReadMessage(benchmark::State& state) {
    const std::vector<uint8_t> stream = SoundStream();
    Link link;
    std::thread writer = StartWriter(link, stream, state.max_iterations);
    CStopFlag stop;
    int err = 0;
    for (auto _ : state) {
        for (int i = 0; i < 2 * kPairsPerStream; ++i) {
            std::unique_ptr<CMsg> msg = ReadMessage(*link.reader, stop, err);
            benchmark::DoNotOptimize(msg.get());
        }
    }
    writer.join();
    state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(stream.size()));
}

void BM_RawRecv(benchmark::State& state) {
    const std::vector<uint8_t> stream = SoundStream();
    Link link;
    std::thread writer = StartWriter(link, stream, state.max_iterations);
    std::vector<uint8_t> buffer(64 * 1024);
    for (auto _ : state) {
        size_t got = 0;
        while (got < stream.size()) {
            const ssize_t r =
                recv(link.fds[0], buffer.data(), std::min(buffer.size(), stream.size() - got), 0);
            if (r <= 0)
                break;
            got += size_t(r);
        }
    }
    writer.join();
    state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(stream.size()));
}

BENCHMARK(BM_ReadMessage)->UseRealTime();
BENCHMARK(BM_RawRecv)->UseRealTime();

// Keeps each benchmark's bytes per second so that main can print the ratio.
class RatioReporter : public benchmark::ConsoleReporter {
public:
    void ReportRuns(const std::vector<Run>& runs) override {
        ConsoleReporter::ReportRuns(runs);
        for (const Run& run : runs)
            if (run.counters.count("bytes_per_second"))
                rates[run.benchmark_name()] = run.counters.at("bytes_per_second");
    }
    std::map<std::string, double> rates;
};

} // namespace

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    RatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    const double parsed = reporter.rates["BM_ReadMessage/real_time"];
    const double raw = reporter.rates["BM_RawRecv/real_time"];
    if (raw > 0)
        std::printf("ReadMessage throughput / raw recv throughput = %.3f (target >= 0.5)\n",
                    parsed / raw);
    return 0;
}
