// The latency of the room's audio from one gateway to another through the
// stand-in server on loopback, against a bare loopback round trip.
//
// Two client controllers, A and B, join one room of an in-process
// CStandInServer. Each has a pair of sound devices that this program drives
// (the manual devices of the tests) instead of a sound card.
//
// One measurement starts when A's capture device hands a filled 200 ms buffer
// of speech-like audio to its owner: the device notification, which A's
// engine queues to the event loop's thread, as it does for a sound card's
// thread. This thread then runs the event loop's pending work, which is A's
// capture engine (DTMF analysis, VOX decision, AMR encoding) putting the
// packet on A's transmit queue. A's transmit thread sends it, the server
// relays it, and B's receive thread reads it and puts it on B's playback
// queue: the hand-over to B's playback engine. A wake signal attached to that
// queue is notified by every addition; this thread sleeps on it, and the
// measurement ends when it wakes. Untimed, B's playback device then plays one
// buffer, so that B's engine takes the packet off the queue and decodes it as
// it would for a sound card, and the next measurement starts with B's queue
// empty.
//
// The reference is a bare loopback round trip: a Sound message and its
// filler, as many bytes as A sends for one packet, sent over a loopback TCP
// connection and echoed back by a thread. That is two hops, as A -> server ->
// B is. main prints both, their difference and their ratio.

#include "audio/sound_message_conversion.h"
#include "audio/sound_packet.h"
#include "client/client_dlg.h"
#include "client/control_ids.h"
#include "platform/wake_signal.h"
#include "protocol/conference_messages.h"
#include "radio/settings_store.h"
#include "server/message_builders.h"
#include "server/stand_in_server.h"
#include "tests/client/event_loop.h"
#include "tests/support/manual_wave.h"

#include <QCoreApplication>

#include "bench/bench_support.h"
#include <arpa/inet.h>

#include <benchmark/benchmark.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <thread>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

constexpr int kPathIterations = 2000;
constexpr int kRoundTripIterations = 20000;
constexpr int kWaitMs = 5000;

class NoPrompt : public IUserPrompt {
public:
    void ShowMessage(const std::string& text, const std::string&, Icon) override {
        std::fprintf(stderr, "client says: %s\n", text.c_str());
    }
    bool AskYesNo(const std::string&) override { return false; }
};

// Runs what is pending on the event loop, then waits for done() if that was
// not enough.
bool Settle(const std::function<bool()>& done, int timeoutMs) {
    QCoreApplication::processEvents();
    return RunUntil(done, timeoutMs);
}

// A client controller with driven sound devices and its own settings file,
// joined to room BENCH of the server at port.
class CBenchStation {
public:
    CBenchStation(const std::string& dir, uint16_t port, const std::string& call) {
        const std::string path = dir + "/" + call + ".ini";
        {
            std::ofstream ini(path);
            ini << "[Tavro_CLIENT]\nHOST=127.0.0.1\nPORT=" << port << "\nCALL=" << call
                << "\nCOMM=Bench gateway\nROOM=BENCH\n";
        }
        store_ = std::make_unique<CSettingsStore>(path);
        auto in = std::make_unique<CManualWaveIn>();
        auto out = std::make_unique<CManualWaveOut>();
        in_ = in.get();
        out_ = out.get();
        CClient_TavroDlg::Options options;
        options.prompt = &prompt_;
        options.waveIn = std::move(in);
        options.waveOut = std::move(out);
        options.receiveTimeoutMs = 24 * 3600 * 1000;
        client_ = std::make_unique<CClient_TavroDlg>(*store_, std::move(options));
        client_->OnInitDialog("");
        client_->OnCommand(IDC_CONNECT);
    }

    // Closes as the window does: says Bye, stops the engines, saves. The
    // engines stop once their buffers have come back, so the devices go on
    // recording silence and playing until then, as a sound card would.
    ~CBenchStation() {
        client_->OnClose();
        const std::vector<int16_t> silence(size_t(WaveBufferSamples(8000)), 0);
        RunUntil(
            [&] {
                in_->Fill(silence);
                out_->Play();
                return client_->IsEnded();
            },
            kWaitMs);
        client_.reset();
    }

    CClient_TavroDlg& Client() { return *client_; }
    CManualWaveIn& In() { return *in_; }
    CManualWaveOut& Out() { return *out_; }

private:
    NoPrompt prompt_;
    std::unique_ptr<CSettingsStore> store_;
    std::unique_ptr<CClient_TavroDlg> client_;
    CManualWaveIn* in_ = nullptr;   // owned by client_
    CManualWaveOut* out_ = nullptr; // owned by client_
};

// The server, A and B in one room, B's playback running and its queue empty.
class CLinkedGateways {
public:
    CLinkedGateways() {
        std::string dir = (std::filesystem::temp_directory_path() / "tavro-bench-XXXXXX").string();
        if (!mkdtemp(dir.data())) {
            error_ = "no temporary folder";
            return;
        }
        dir_ = dir;
        CServerOptions options;
        options.listen = "127.0.0.1:0";
        options.pingInterval = std::chrono::milliseconds(0);
        options.idleTimeout = std::chrono::hours(1);
        server_ = std::make_unique<CStandInServer>(options);
        if (!server_->Start(error_))
            return;
        a_ = std::make_unique<CBenchStation>(dir_, server_->Port(), "G4AAA");
        b_ = std::make_unique<CBenchStation>(dir_, server_->Port(), "M0BBB");
        if (!RunUntil([&] { return a_->Client().IsConnected() && b_->Client().IsConnected(); },
                      kWaitMs)) {
            error_ = "the clients did not connect";
            return;
        }
        b_->Client().PlaybackQueue().AttachWakeSignal(&arrival_);
        if (!Prime())
            error_ = "A's audio did not reach B's playback";
    }

    ~CLinkedGateways() {
        if (b_)
            b_->Client().PlaybackQueue().AttachWakeSignal(nullptr);
        a_.reset();
        b_.reset();
        if (server_)
            server_->Stop();
        std::error_code ignored;
        if (!dir_.empty())
            std::filesystem::remove_all(dir_, ignored);
    }

    const std::string& Error() const { return error_; }

    // One packet from A's capture to B's playback queue, and the part of it
    // that A's capture engine took on the event loop; false with a reason in
    // error when it did not get there.
    bool Measure(Clock::duration& latency, Clock::duration& engine, std::string& error) {
        const Clock::time_point start = Clock::now();
        if (!a_->In().Fill(speech_)) {
            error = "A's capture device holds no buffer";
            return false;
        }
        // A's capture engine runs here; it lends the device a new buffer first.
        QCoreApplication::processEvents();
        engine = Clock::now() - start;
        if (a_->In().Pending() < 2) {
            error = "A's capture engine did not take the buffer";
            return false;
        }
        const bool arrived = arrival_.Wait(nullptr, kWaitMs);
        latency = Clock::now() - start;
        if (!arrived || b_->Client().PlaybackQueue().Size() != 1) {
            error = "the packet did not reach B's playback queue";
            return false;
        }
        return Drain();
    }

private:
    // Sends A's audio until it reaches B. The first packet turns B's sound
    // card from capture to playback: B's capture engine stops once its
    // buffers have come back, so B's receiver records silence meanwhile.
    bool Prime() {
        const std::vector<int16_t> silence(speech_.size(), 0);
        CBenchStation& a = *a_;
        CBenchStation& b = *b_;
        bool ready = false;
        for (int attempt = 0; attempt < 50 && !ready; ++attempt) {
            a.In().Fill(speech_);
            b.In().Fill(silence);
            ready = RunUntil(
                [&] { return b.Out().IsStarted() && !b.Client().PlaybackQueue().IsEmpty(); }, 200);
        }
        // Let what is still on its way arrive, then start from an empty queue.
        RunUntil([] { return false; }, 100);
        if (!ready || !Drain())
            return false;
        arrival_.Wait(nullptr, 0);
        return true;
    }

    // Plays B's buffers until B's engine has taken every received packet.
    bool Drain() {
        CSoundQueue& queue = b_->Client().PlaybackQueue();
        while (!queue.IsEmpty()) {
            const size_t before = queue.Size();
            if (!b_->Out().Play() || !Settle([&] { return queue.Size() < before; }, kWaitMs))
                return false;
        }
        return true;
    }

    std::string dir_, error_;
    std::unique_ptr<CStandInServer> server_;
    std::unique_ptr<CBenchStation> a_, b_;
    CWakeSignal arrival_;
    const std::vector<int16_t> speech_ = TestAudio(8000, WaveBufferSamples(8000));
};

// The bytes that A sends for one captured packet: its Sound message and the
// filler after it.
std::vector<uint8_t> PacketBytes() {
    const std::vector<int16_t> samples = TestAudio(8000, WaveBufferSamples(8000));
    CSoundPacket packet(samples.data(), int(samples.size()));
    packet.EncodeAmr();
    const std::unique_ptr<CSoundMessage> sound = MakeSoundMessage(packet);
    std::vector<uint8_t> bytes;
    CByteWriter out(bytes);
    sound->Encode(out);
    MakeFiller(*sound)->Encode(out);
    return bytes;
}

bool SendAll(int fd, const uint8_t* data, size_t n) {
    while (n > 0) {
        const ssize_t sent = send(fd, data, n, MSG_NOSIGNAL);
        if (sent <= 0)
            return false;
        data += sent;
        n -= size_t(sent);
    }
    return true;
}

bool ReceiveAll(int fd, uint8_t* data, size_t n) {
    while (n > 0) {
        const ssize_t got = recv(fd, data, n, 0);
        if (got <= 0)
            return false;
        data += got;
        n -= size_t(got);
    }
    return true;
}

// A loopback TCP connection whose far end a thread echoes, `size` bytes at a time.
class CEchoConnection {
public:
    explicit CEchoConnection(size_t size) : size_(size) {
        const int listener = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        socklen_t length = sizeof address;
        if (listener >= 0 &&
            bind(listener, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0 &&
            listen(listener, 1) == 0 &&
            getsockname(listener, reinterpret_cast<sockaddr*>(&address), &length) == 0) {
            fd_ = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
            if (fd_ >= 0 &&
                connect(fd_, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0)
                echoFd_ = accept4(listener, nullptr, nullptr, SOCK_CLOEXEC);
        }
        if (listener >= 0)
            close(listener);
        if (echoFd_ >= 0)
            echo_ = std::thread([this] {
                std::vector<uint8_t> buffer(size_);
                while (ReceiveAll(echoFd_, buffer.data(), size_) &&
                       SendAll(echoFd_, buffer.data(), size_)) {
                }
            });
    }

    ~CEchoConnection() {
        if (fd_ >= 0)
            shutdown(fd_, SHUT_RDWR);
        if (echo_.joinable())
            echo_.join();
        for (int fd : {fd_, echoFd_})
            if (fd >= 0)
                close(fd);
    }

    bool Ok() const { return echoFd_ >= 0; }
    int Fd() const { return fd_; }

private:
    size_t size_;
    int fd_ = -1, echoFd_ = -1;
    std::thread echo_;
};

// Microseconds of every iteration, by benchmark, for the summary.
std::map<std::string, std::vector<double>> measured;

double Seconds(Clock::duration d) {
    return std::chrono::duration<double>(d).count();
}

void BM_CaptureToRemotePlayback(benchmark::State& state) {
    CLinkedGateways link;
    if (!link.Error().empty()) {
        state.SkipWithError(link.Error().c_str());
        return;
    }
    std::vector<double>& times = measured["path"];
    std::vector<double>& engineTimes = measured["engine"];
    std::vector<double>& networkTimes = measured["network"];
    std::string error;
    for (auto _ : state) {
        Clock::duration latency{}, engine{};
        if (!link.Measure(latency, engine, error)) {
            state.SkipWithError(error.c_str());
            break;
        }
        state.SetIterationTime(Seconds(latency));
        times.push_back(Seconds(latency) * 1e6);
        engineTimes.push_back(Seconds(engine) * 1e6);
        networkTimes.push_back(Seconds(latency - engine) * 1e6);
    }
    state.SetLabel("A's capture buffer -> server -> B's playback queue");
}

void BM_LoopbackRoundTrip(benchmark::State& state) {
    std::vector<uint8_t> bytes = PacketBytes();
    CEchoConnection connection(bytes.size());
    if (!connection.Ok()) {
        state.SkipWithError("no loopback connection");
        return;
    }
    std::vector<double>& times = measured["bare"];
    for (auto _ : state) {
        const Clock::time_point start = Clock::now();
        if (!SendAll(connection.Fd(), bytes.data(), bytes.size()) ||
            !ReceiveAll(connection.Fd(), bytes.data(), bytes.size())) {
            state.SkipWithError("the echo did not come back");
            break;
        }
        const Clock::duration latency = Clock::now() - start;
        state.SetIterationTime(Seconds(latency));
        times.push_back(Seconds(latency) * 1e6);
    }
    state.SetLabel(std::to_string(bytes.size()) + " bytes there and back");
}

BENCHMARK(BM_CaptureToRemotePlayback)
    ->Iterations(kPathIterations)
    ->UseManualTime()
    ->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_LoopbackRoundTrip)
    ->Iterations(kRoundTripIterations)
    ->UseManualTime()
    ->Unit(benchmark::kMicrosecond);

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();

    const Summary path = Summarize(measured["path"]);
    const Summary engine = Summarize(measured["engine"]);
    const Summary network = Summarize(measured["network"]);
    const Summary bare = Summarize(measured["bare"]);
    if (path.median <= 0 || bare.median <= 0)
        return 0;
    std::printf("\nlatency, microseconds (mean / median / p99):\n");
    const auto line = [](const char* label, const Summary& s) {
        std::printf("  %-44s %8.1f / %8.1f / %8.1f\n", label, s.mean, s.median, s.p99);
    };
    line("A's capture buffer to B's playback queue", path);
    line("  in A's capture engine", engine);
    line("  A's transmit queue to B's playback queue", network);
    line("bare loopback round trip", bare);
    std::printf("  added by the gateways and the server: %.1f us (median), ratio %.1f\n",
                path.median - bare.median, path.median / bare.median);
    std::printf("  from A's transmit queue on, against the bare round trip: %.1f us more (median), "
                "ratio %.1f\n",
                network.median - bare.median, network.median / bare.median);
    return 0;
}
