// The stand-in server under the load of a busy network: 100 stations in 10
// rooms, and in each room one talker sending a sound message and its filler
// every 200 ms, as a gateway sends each capture buffer. The server runs in a
// process of its own; the program reports that process's CPU time over the
// measured run, and the relay delay from a talker's send to each listener's
// receipt.
//
//   bench_server_load [--seconds S]   (default 10; the reference run is 60)

#include "bench/bench_support.h"
#include "platform/stop_flag.h"
#include "platform/tcp_connect.h"
#include "protocol/conference_messages.h"
#include "protocol/wire_io.h"
#include "server/stand_in_server.h"

#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <memory>
#include <mutex>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

constexpr int kStations = 100;
constexpr int kRooms = 10;
constexpr int kDefaultSeconds = 10;
// A gateway sends one packet per 200 ms capture buffer.
constexpr auto kPacketPeriod = std::chrono::milliseconds(200);
// Ten 32-byte AMR 12.2 kbit/s frames; with its filler a packet takes 1000
// payload bytes.
constexpr size_t kSoundBytes = 320;
constexpr uint16_t kFillerBytes = 1000 - kSoundBytes;
// The version that the stations announce, as a gateway of version 1.34 does.
constexpr int32_t kStationVersion = 134;
// Before the measured run: the talkers take their floors.
constexpr auto kWarmUp = std::chrono::seconds(1);
// After it: the last packets reach their listeners.
constexpr auto kDrain = std::chrono::milliseconds(500);
constexpr int kConnectTimeoutMs = 5000;

int64_t Nanos(Clock::time_point t) {
    return std::chrono::duration_cast<std::chrono::nanoseconds>(t.time_since_epoch()).count();
}

// ---- the server's process

// The stand-in server in a child process, forked before this process starts
// any thread. It serves until the parent closes its end of the pipe.
class ServerProcess {
public:
    ServerProcess() {
        int portPipe[2], stopPipe[2];
        if (pipe(portPipe) != 0 || pipe(stopPipe) != 0)
            return;
        pid_ = fork();
        if (pid_ == 0) {
            close(portPipe[0]);
            close(stopPipe[1]);
            _exit(Serve(portPipe[1], stopPipe[0]));
        }
        close(portPipe[1]);
        close(stopPipe[0]);
        stopFd_ = stopPipe[1];
        if (pid_ < 0 || read(portPipe[0], &port_, sizeof port_) != sizeof port_)
            port_ = 0;
        close(portPipe[0]);
    }

    ~ServerProcess() {
        if (stopFd_ >= 0)
            close(stopFd_);
        if (pid_ > 0)
            waitpid(pid_, nullptr, 0);
    }

    uint16_t Port() const { return port_; }

    // User and system CPU time of the process so far, in seconds.
    double CpuSeconds() const {
        std::ifstream file("/proc/" + std::to_string(pid_) + "/stat");
        std::string stat((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
        // The fields after the command name, which may hold blanks, start at the state (field 3).
        const size_t end = stat.rfind(')');
        if (end == std::string::npos)
            return -1;
        std::istringstream fields(stat.substr(end + 2));
        std::string field;
        double ticks = 0;
        for (int number = 3; number <= 15 && fields >> field; ++number)
            if (number >= 14) // utime, stime
                ticks += std::strtod(field.c_str(), nullptr);
        return ticks / double(sysconf(_SC_CLK_TCK));
    }

private:
    static int Serve(int portFd, int stopFd) {
        CServerOptions options;
        options.listen = "127.0.0.1:0";
        CStandInServer server(options);
        std::string error;
        if (!server.Start(error)) {
            std::fprintf(stderr, "bench_server_load: the server did not start: %s\n",
                         error.c_str());
            return 1;
        }
        const uint16_t port = server.Port();
        if (write(portFd, &port, sizeof port) != sizeof port)
            return 1;
        close(portFd);
        char byte;
        while (read(stopFd, &byte, 1) > 0) {
        }
        server.Stop();
        return 0;
    }

    pid_t pid_ = -1;
    int stopFd_ = -1;
    uint16_t port_ = 0;
};

// ---- the stations

// The sound payload: when it was sent, then bytes of no meaning.
std::unique_ptr<CSoundMessage> StampedSound(Clock::time_point sent) {
    std::vector<uint8_t> payload;
    CByteWriter(payload).Time64(Nanos(sent));
    payload.resize(kSoundBytes, 0x5A);
    return std::make_unique<CSoundMessage>(payload.data(), payload.size(), false);
}

int64_t StampOf(const CSoundMessage& sound) {
    int64_t nanos = 0;
    for (int i = 7; i >= 0; --i)
        nanos = (nanos << 8) | sound.payload[size_t(i)];
    return nanos;
}

// One station: its connection, joined to its room, and a thread that reads
// what the server sends it, answers pings and records the delay of every
// sound message sent within the measured run.
class Station {
public:
    bool Join(uint16_t port, const std::string& callSign, const std::string& room) {
        std::string error;
        const int fd = ConnectTcp("127.0.0.1", port, kConnectTimeoutMs, stop_, error);
        if (fd < 0) {
            std::fprintf(stderr, "bench_server_load: %s: %s\n", callSign.c_str(), error.c_str());
            return false;
        }
        stream_ = std::make_unique<CSocketStream>(fd);
        int err = 0;
        std::unique_ptr<CMsg> greeting = ReadMessage(*stream_, stop_, err);
        if (!greeting || greeting->command != kCmdVersion)
            return false;
        CVersionMessage version;
        version.version = kStationVersion;
        CVersionMessage versionEx;
        versionEx.command = kCmdVersionEx;
        versionEx.version = kStationVersion;
        CJoinMessage join;
        join.command = kCmdJoinWithPassword;
        join.callSign = callSign;
        join.room = room;
        join.comment = "Load station";
        join.codec = "AMR";
        if (!Send(version) || !Send(versionEx) || !Send(join))
            return false;
        reader_ = std::thread([this] { Read(); });
        return true;
    }

    ~Station() { Stop(); }

    // Ends the reader; its record is whole from here on.
    void Stop() {
        stop_.Set();
        if (reader_.joinable())
            reader_.join();
    }

    bool Send(const CMsg& message) {
        std::lock_guard lock(writeLock_);
        return message.Write(*stream_, stop_);
    }

    // Sound messages stamped in [from, to) are recorded.
    void Measure(int64_t from, int64_t to) {
        measureTo_ = to;
        measureFrom_ = from;
    }

    const std::vector<double>& DelaysMs() const { return delaysMs_; }

private:
    void Read() {
        int err = 0;
        while (std::unique_ptr<CMsg> message = ReadMessage(*stream_, stop_, err)) {
            if (message->command == kCmdPing) {
                Send(CMsg(kCmdPing));
            } else if (message->command == kCmdSound) {
                const int64_t received = Nanos(Clock::now());
                const int64_t sent = StampOf(static_cast<const CSoundMessage&>(*message));
                if (sent >= measureFrom_ && sent < measureTo_)
                    delaysMs_.push_back(double(received - sent) / 1e6);
            }
        }
    }

    CStopFlag stop_;
    std::unique_ptr<CSocketStream> stream_;
    std::mutex writeLock_;
    std::thread reader_;
    std::atomic<int64_t> measureFrom_{INT64_MAX}, measureTo_{INT64_MAX};
    std::vector<double> delaysMs_; // the reader's, read after it has ended
};

// The talkers send in turn, spread evenly over each period, as independent
// gateways would.
void Talk(const std::vector<Station*>& talkers, Clock::time_point until,
          std::atomic<int64_t>& sentInRun, int64_t runFrom, int64_t runTo) {
    const Clock::time_point start = Clock::now();
    const auto offset = kPacketPeriod / int(talkers.size());
    for (int period = 0;; ++period) {
        for (size_t i = 0; i < talkers.size(); ++i) {
            const Clock::time_point due = start + period * kPacketPeriod + int(i) * offset;
            if (due >= until)
                return;
            std::this_thread::sleep_until(due);
            const Clock::time_point now = Clock::now();
            if (!talkers[i]->Send(*StampedSound(now)) ||
                !talkers[i]->Send(CDummyMessage(kFillerBytes)))
                return;
            if (Nanos(now) >= runFrom && Nanos(now) < runTo)
                ++sentInRun;
        }
    }
}

int ParseSeconds(int argc, char** argv) {
    if (argc == 1)
        return kDefaultSeconds;
    if (argc == 3 && std::strcmp(argv[1], "--seconds") == 0) {
        const int seconds = std::atoi(argv[2]);
        if (seconds > 0)
            return seconds;
    }
    return -1;
}

} // namespace

int main(int argc, char** argv) {
    const int seconds = ParseSeconds(argc, argv);
    if (seconds < 0) {
        std::fprintf(stderr, "usage: bench_server_load [--seconds S]   (default %d)\n",
                     kDefaultSeconds);
        return 2;
    }
    ServerProcess server;
    if (server.Port() == 0) {
        std::fprintf(stderr, "bench_server_load: no server\n");
        return 1;
    }

    std::vector<std::unique_ptr<Station>> stations;
    std::vector<Station*> talkers;
    for (int i = 0; i < kStations; ++i) {
        const int room = i % kRooms;
        char callSign[16];
        std::snprintf(callSign, sizeof callSign, "LD%03d", i);
        stations.push_back(std::make_unique<Station>());
        if (!stations.back()->Join(server.Port(), callSign, "LOAD-" + std::to_string(room)))
            return 1;
        if (i < kRooms)
            talkers.push_back(stations.back().get());
    }

    const Clock::time_point runFrom = Clock::now() + kWarmUp;
    const Clock::time_point runTo = runFrom + std::chrono::seconds(seconds);
    for (const auto& station : stations)
        station->Measure(Nanos(runFrom), Nanos(runTo));
    std::atomic<int64_t> sentInRun{0};
    std::thread talk([&] { Talk(talkers, runTo, sentInRun, Nanos(runFrom), Nanos(runTo)); });

    std::this_thread::sleep_until(runFrom);
    const double cpuFrom = server.CpuSeconds();
    std::this_thread::sleep_until(runTo);
    const double cpuTo = server.CpuSeconds();
    talk.join();
    std::this_thread::sleep_for(kDrain);

    std::vector<double> delays;
    for (const auto& station : stations) {
        station->Stop();
        delays.insert(delays.end(), station->DelaysMs().begin(), station->DelaysMs().end());
    }
    const int64_t expected = sentInRun * (kStations / kRooms - 1);
    const Summary delay = Summarize(delays);
    const double cpu = cpuTo - cpuFrom;
    std::printf("bench_server_load: %d stations in %d rooms, %d talking, %d s measured\n",
                kStations, kRooms, kRooms, seconds);
    std::printf("  sound messages sent: %lld (one per talker every %lld ms, each with its "
                "filler)\n",
                static_cast<long long>(sentInRun.load()),
                static_cast<long long>(kPacketPeriod.count()));
    std::printf("  relayed to listeners: %zu of %lld\n", delays.size(),
                static_cast<long long>(expected));
    std::printf("  server CPU (user + system): %.2f s, %.1f%% of one core\n", cpu,
                100 * cpu / seconds);
    std::printf("  relay delay: p50 %.3f ms, p99 %.3f ms, max %.3f ms\n", delay.median, delay.p99,
                delays.empty() ? 0.0 : *std::max_element(delays.begin(), delays.end()));
    return int64_t(delays.size()) == expected ? 0 : 1;
}
