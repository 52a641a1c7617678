// The delay that the client's transmit path adds: from adding a message to
// the outgoing queue of a connected client to its bytes arriving at a
// loopback peer, against one bare send() of the same bytes on a loopback TCP
// connection. main prints both and what the queue adds.

#include "client/client_dlg.h"
#include "client/control_ids.h"
#include "protocol/conference_messages.h"
#include "radio/settings_store.h"
#include "tests/support/scripted_peer.h"

#include <QCoreApplication>

#include "bench/bench_support.h"
#include "tests/client/event_loop.h"
#include <arpa/inet.h>

#include <benchmark/benchmark.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
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
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

class NoPrompt : public IUserPrompt {
public:
    void ShowMessage(const std::string& text, const std::string&, Icon) override {
        std::fprintf(stderr, "client says: %s\n", text.c_str());
    }
    bool AskYesNo(const std::string&) override { return false; }
};

// Reads exactly n bytes from a non-blocking socket, sleeping in poll().
bool ReceiveAll(int fd, size_t n, std::vector<uint8_t>& buffer) {
    buffer.resize(n);
    size_t got = 0;
    while (got < n) {
        pollfd p = {fd, POLLIN, 0};
        if (poll(&p, 1, 5000) <= 0)
            return false;
        const ssize_t r = recv(fd, buffer.data() + got, n - got, 0);
        if (r <= 0)
            return false;
        got += size_t(r);
    }
    return true;
}

// A client controller connected to a scripted server of version 113 and
// joined, with the far end's socket for reading what the client sends.
class ConnectedClient {
public:
    ConnectedClient() {
        std::string dir = (std::filesystem::temp_directory_path() / "tavro-bench-XXXXXX").string();
        if (!mkdtemp(dir.data()))
            return;
        dir_ = dir;
        {
            std::ofstream ini(dir_ + "/client.ini");
            ini << "[Tavro_CLIENT]\nHOST=127.0.0.1\nPORT=" << peer_.Port()
                << "\nCALL=G4BEN\nROOM=BENCH\n";
        }
        store_ = std::make_unique<CSettingsStore>(dir_ + "/client.ini");
        CClient_TavroDlg::Options options;
        options.prompt = &prompt_;
        options.receiveTimeoutMs = 24 * 3600 * 1000;
        client_ = std::make_unique<CClient_TavroDlg>(*store_, std::move(options));
        client_->OnInitDialog("");
        client_->OnCommand(IDC_CONNECT);
        if (!RunUntil([&] { return client_->IsConnected(); }, 5000) || !peer_.Accept(5000))
            return;
        std::unique_ptr<CMsg> version = peer_.Read(5000);
        if (!version || version->command != kCmdVersion)
            return;
        CVersionMessage reply;
        reply.version = 113;
        peer_.Send(reply);
        std::unique_ptr<CMsg> ex = peer_.Read(5000);
        std::unique_ptr<CMsg> join = peer_.Read(5000);
        ok_ = ex && ex->command == kCmdVersionEx && join && join->command == kCmdJoinWithPassword;
        // Let the calls the handshake queued for the UI thread run.
        RunUntil([] { return false; }, 50);
    }

    ~ConnectedClient() {
        client_.reset();
        store_.reset();
        std::error_code ignored;
        if (!dir_.empty())
            std::filesystem::remove_all(dir_, ignored);
    }

    bool Ok() const { return ok_; }
    CClient_TavroDlg& Client() { return *client_; }
    int PeerFd() const { return peer_.Fd(); }

private:
    CScriptedPeer peer_;
    NoPrompt prompt_;
    std::string dir_;
    std::unique_ptr<CSettingsStore> store_;
    std::unique_ptr<CClient_TavroDlg> client_;
    bool ok_ = false;
};

// A plain loopback TCP connection: the sending socket and the peer's.
class BareConnection {
public:
    BareConnection() {
        fd_ = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_port = htons(peer_.Port());
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        ok_ = fd_ >= 0 &&
              connect(fd_, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0 &&
              peer_.Accept(5000);
    }
    ~BareConnection() {
        if (fd_ >= 0)
            close(fd_);
    }
    bool Ok() const { return ok_; }
    int Fd() const { return fd_; }
    int PeerFd() const { return peer_.Fd(); }

private:
    CScriptedPeer peer_;
    int fd_ = -1;
    bool ok_ = false;
};

std::unique_ptr<CMsg> MakeMessage(bool text) {
    if (!text)
        return std::make_unique<CMsg>(kCmdPing);
    auto message = std::make_unique<CTextMessage>();
    message->text = "Net control at 20:00 UTC on UK-1, all stations welcome";
    return message;
}

std::vector<uint8_t> Encoded(const CMsg& message) {
    std::vector<uint8_t> bytes;
    CByteWriter out(bytes);
    message.Encode(out);
    return bytes;
}

// Microseconds of every iteration, by benchmark name, for the summary.
std::map<std::string, std::vector<double>> samples;

double Micros(Clock::duration d) {
    return std::chrono::duration<double, std::micro>(d).count();
}

void BM_ClientQueueToPeer(benchmark::State& state) {
    const bool text = state.range(0) != 0;
    ConnectedClient client;
    if (!client.Ok()) {
        state.SkipWithError("the client did not connect");
        return;
    }
    const size_t size = Encoded(*MakeMessage(text)).size();
    std::vector<uint8_t> buffer;
    std::vector<double>& times = samples[text ? "client text" : "client ping"];
    for (auto _ : state) {
        std::unique_ptr<CMsg> message = MakeMessage(text);
        const Clock::time_point start = Clock::now();
        client.Client().MessageQueue().Add(std::move(message));
        if (!ReceiveAll(client.PeerFd(), size, buffer)) {
            state.SkipWithError("the bytes did not arrive");
            break;
        }
        times.push_back(Micros(Clock::now() - start));
    }
    state.SetLabel(text ? "CTextMessage" : "Ping");
}

void BM_BareSend(benchmark::State& state) {
    const bool text = state.range(0) != 0;
    BareConnection connection;
    if (!connection.Ok()) {
        state.SkipWithError("no loopback connection");
        return;
    }
    const std::vector<uint8_t> bytes = Encoded(*MakeMessage(text));
    std::vector<uint8_t> buffer;
    std::vector<double>& times = samples[text ? "bare text" : "bare ping"];
    for (auto _ : state) {
        const Clock::time_point start = Clock::now();
        if (send(connection.Fd(), bytes.data(), bytes.size(), MSG_NOSIGNAL) !=
                ssize_t(bytes.size()) ||
            !ReceiveAll(connection.PeerFd(), bytes.size(), buffer)) {
            state.SkipWithError("the bytes did not arrive");
            break;
        }
        times.push_back(Micros(Clock::now() - start));
    }
    state.SetLabel(text ? "CTextMessage bytes" : "Ping byte");
}

BENCHMARK(BM_ClientQueueToPeer)->Arg(0)->Arg(1)->UseRealTime()->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_BareSend)->Arg(0)->Arg(1)->UseRealTime()->Unit(benchmark::kMicrosecond);

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();

    std::printf("\nqueue-to-peer latency, microseconds (mean / median / p99):\n");
    for (const char* kind : {"ping", "text"}) {
        const Summary client = Summarize(samples[std::string("client ") + kind]);
        const Summary bare = Summarize(samples[std::string("bare ") + kind]);
        if (bare.median <= 0)
            continue;
        std::printf("  %-4s client %7.1f / %7.1f / %7.1f   bare send() %7.1f / %7.1f / %7.1f\n",
                    kind, client.mean, client.median, client.p99, bare.mean, bare.median, bare.p99);
        std::printf("       added by the client: %.1f us (median), ratio %.2f (target: under "
                    "1000 us added)\n",
                    client.median - bare.median, client.median / bare.median);
    }
    return 0;
}
