// The latency of the room's audio from one gateway to another through the
// stand-in server on loopback, against a bare loopback round trip.
//
// Two client controllers, A and B, join one room of an in-process
// CStandInServer. Each has a pair of sound devices that this program drives
// (CDrivenWaveIn and CDrivenWaveOut below) instead of a sound card.
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

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QTimer>

#include "bench/bench_support.h"
#include <arpa/inet.h>

#include <benchmark/benchmark.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <deque>
#include <filesystem>
#include <fstream>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <span>
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

// Runs the Qt event loop until done() holds or timeoutMs passes.
bool RunUntil(const std::function<bool()>& done, int timeoutMs) {
    if (done())
        return true;
    QEventLoop loop;
    QElapsedTimer clock;
    clock.start();
    QTimer check;
    QObject::connect(&check, &QTimer::timeout, &loop, [&] {
        if (done() || clock.elapsed() >= timeoutMs)
            loop.quit();
    });
    check.start(2);
    loop.exec();
    return done();
}

// Runs what is pending on the event loop, then waits for done() if that was
// not enough.
bool Settle(const std::function<bool()>& done, int timeoutMs) {
    QCoreApplication::processEvents();
    return RunUntil(done, timeoutMs);
}

// The buffers lent to one of the devices below, and its state. The engines
// call a device from the event loop's thread and, when the room's audio
// starts playback, from a client's receive thread; this program drives it
// from the event loop's thread. Hence the lock. Notifications go to the sink
// on the calling thread, outside the lock; the engine's sink only queues
// them to the event loop.
class CDrivenDevice {
public:
    size_t Lent() const {
        std::lock_guard lock(mutex_);
        return lent_.size();
    }
    bool IsStarted() const {
        std::lock_guard lock(mutex_);
        return started_;
    }

protected:
    WaveStatus TryOpen() {
        std::lock_guard lock(mutex_);
        if (open_)
            return {WaveError::Failed, "the device is already open"};
        open_ = true;
        started_ = false;
        return {};
    }
    bool Lend(WaveBuffer&& buffer) {
        std::lock_guard lock(mutex_);
        if (!open_ || buffer.samples.empty())
            return false;
        lent_.push_back(std::move(buffer));
        return true;
    }
    bool TryStart() {
        std::lock_guard lock(mutex_);
        started_ = open_;
        return started_;
    }
    // Stops; every lent buffer comes back unused. With close, the device closes too.
    std::deque<WaveBuffer> TakeAll(bool close) {
        std::lock_guard lock(mutex_);
        started_ = false;
        if (close)
            open_ = false;
        std::deque<WaveBuffer> taken;
        taken.swap(lent_);
        for (WaveBuffer& buffer : taken)
            buffer.filled = 0;
        return taken;
    }
    bool WasOpen() const {
        std::lock_guard lock(mutex_);
        return open_;
    }
    // The oldest lent buffer, when started.
    bool TakeOldest(WaveBuffer& buffer) {
        std::lock_guard lock(mutex_);
        if (!started_ || lent_.empty())
            return false;
        buffer = std::move(lent_.front());
        lent_.pop_front();
        return true;
    }

private:
    mutable std::mutex mutex_;
    std::deque<WaveBuffer> lent_;
    bool open_ = false;
    bool started_ = false;
};

// A receiver whose audio this program records: Record fills the oldest lent
// buffer and hands it back, as a sound card does when a buffer is full.
class CDrivenWaveIn final : public CDrivenDevice, public IWaveIn {
public:
    WaveStatus Open(const WaveDeviceId&, int, IWaveInSink& sink) override {
        WaveStatus status = TryOpen();
        if (status)
            sink_ = &sink;
        return status;
    }
    bool AddBuffer(WaveBuffer&& buffer) override { return Lend(std::move(buffer)); }
    bool Start() override { return TryStart(); }
    void Reset() override { Return(false); }
    void Close() override { Return(true); }

    bool Record(std::span<const int16_t> samples) {
        WaveBuffer buffer;
        if (!TakeOldest(buffer))
            return false;
        buffer.filled = std::min(samples.size(), buffer.samples.size());
        std::copy_n(samples.begin(), buffer.filled, buffer.samples.begin());
        sink_->OnWaveInData(std::move(buffer));
        return true;
    }

private:
    void Return(bool close) {
        if (!WasOpen())
            return;
        for (WaveBuffer& buffer : TakeAll(close))
            sink_->OnWaveInData(std::move(buffer));
        if (close)
            sink_->OnWaveInClose();
    }

    IWaveInSink* sink_ = nullptr;
};

// A transmitter that plays a buffer when this program says so: Play hands the
// oldest lent buffer back as played.
class CDrivenWaveOut final : public CDrivenDevice, public IWaveOut {
public:
    WaveStatus Open(const WaveDeviceId&, int, IWaveOutSink& sink) override {
        WaveStatus status = TryOpen();
        if (status)
            sink_ = &sink;
        return status;
    }
    bool Write(WaveBuffer&& buffer) override { return Lend(std::move(buffer)); }
    bool Start() override { return TryStart(); }
    void Reset() override { Return(false); }
    void Close() override { Return(true); }

    bool Play() {
        WaveBuffer buffer;
        if (!TakeOldest(buffer))
            return false;
        buffer.filled = buffer.samples.size();
        sink_->OnWaveOutDone(std::move(buffer));
        return true;
    }

private:
    void Return(bool close) {
        if (!WasOpen())
            return;
        for (WaveBuffer& buffer : TakeAll(close))
            sink_->OnWaveOutDone(std::move(buffer));
        if (close)
            sink_->OnWaveOutClose();
    }

    IWaveOutSink* sink_ = nullptr;
};

// One 200 ms capture buffer at 8000 Hz of speech-like audio: two partials and
// some noise, well above the VOX threshold and without DTMF tone pairs.
std::vector<int16_t> SpeechBuffer() {
    constexpr int kRate = 8000;
    std::vector<int16_t> out(size_t(WaveBufferSamples(kRate)));
    uint32_t noise = 12345;
    for (size_t i = 0; i < out.size(); ++i) {
        noise = noise * 1103515245u + 12345u;
        const double t = double(i) / kRate;
        const double v = 6000 * std::sin(2 * M_PI * 310 * t) +
                         3000 * std::sin(2 * M_PI * 1270 * t) + double(int(noise >> 16) % 1000);
        out[i] = int16_t(std::lround(v));
    }
    return out;
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
        auto in = std::make_unique<CDrivenWaveIn>();
        auto out = std::make_unique<CDrivenWaveOut>();
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
                in_->Record(silence);
                out_->Play();
                return client_->IsEnded();
            },
            kWaitMs);
        client_.reset();
    }

    CClient_TavroDlg& Client() { return *client_; }
    CDrivenWaveIn& In() { return *in_; }
    CDrivenWaveOut& Out() { return *out_; }

private:
    NoPrompt prompt_;
    std::unique_ptr<CSettingsStore> store_;
    std::unique_ptr<CClient_TavroDlg> client_;
    CDrivenWaveIn* in_ = nullptr;   // owned by client_
    CDrivenWaveOut* out_ = nullptr; // owned by client_
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
        if (!a_->In().Record(speech_)) {
            error = "A's capture device holds no buffer";
            return false;
        }
        // A's capture engine runs here; it lends the device a new buffer first.
        QCoreApplication::processEvents();
        engine = Clock::now() - start;
        if (a_->In().Lent() < 2) {
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
            a.In().Record(speech_);
            b.In().Record(silence);
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
    const std::vector<int16_t> speech_ = SpeechBuffer();
};

// The bytes that A sends for one captured packet: its Sound message and the
// filler after it.
std::vector<uint8_t> PacketBytes() {
    const std::vector<int16_t> samples = SpeechBuffer();
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
