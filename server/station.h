#pragma once

#include "platform/stop_flag.h"
#include "protocol/msg.h"
#include "protocol/socket_stream.h"
#include "server/outgoing_queue.h"

#include <array>
#include <atomic>
#include <chrono>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <thread>

// One connected station: its socket, a reader thread that hands each message
// to the server, and a writer thread that drains the station's outgoing
// queue. Writes to one station never wait for another.
class CStation {
public:
    using Clock = std::chrono::steady_clock;

    // What the station's threads report. Called without any lock held.
    class IEvents {
    public:
        virtual void OnMessage(CStation& station, std::unique_ptr<CMsg> message) = 0;
        // Reading ended: err is what ReadMessage set (kErrStopped after
        // Abort, or when the outgoing queue overflowed).
        virtual void OnReadEnd(CStation& station, int err) = 0;
        // A write failed with the errno value error.
        virtual void OnWriteFailed(CStation& station, int error) = 0;

    protected:
        ~IEvents() = default;
    };

    // The station's activity is timed on `now`, the server's clock.
    CStation(int id, int fd, std::string peer, size_t maxQueued, IEvents& events,
             std::function<Clock::time_point()> now);
    ~CStation();
    CStation(const CStation&) = delete;
    CStation& operator=(const CStation&) = delete;

    void Start();
    // Queues a message for the writer. Ignored once the station is closing.
    // A queue that outgrows the limit means the peer does not read: the
    // station stops (see Overflowed).
    void Send(std::shared_ptr<const CMsg> message);
    // Hangs up gracefully: the writer sends what is queued and then closes
    // its direction; the reader goes on reading (and ignoring) until the peer
    // closes.
    void Close();
    // Ends both threads at once.
    void Abort();
    void JoinThreads();

    bool IsClosing() const { return closing_.load(); }
    bool Overflowed() const { return overflowed_.load(); }
    int Id() const { return id_; }
    // "#id call" once the station has joined, "#id address" before.
    std::string Label() const;
    void SetCallSign(const std::string& callSign);
    std::string CallSign() const;
    // True the first time only, so that greetings go to the first join.
    bool FirstJoin() { return !joined_.exchange(true); }
    void SetVersion(int32_t version) { version_ = version; }
    int32_t Version() const { return version_; }
    // The identifier the station's command-21 version message carries.
    void SetMachineValue(uint32_t value) { machineValue_ = value; }
    uint32_t MachineValue() const { return machineValue_; }
    // The peer's IPv4 octets, most significant first; all zero for a peer
    // without an IPv4 address.
    const std::array<int32_t, 4>& Ipv4() const { return ipv4_; }
    // An administration station joins no room and is never restricted.
    void SetAdmin() { admin_ = true; }
    bool IsAdmin() const { return admin_.load(); }

    // The round trip of the server's pings: from the oldest unanswered ping
    // to the station's next Ping. PingMs is 0 until a ping was answered.
    void NotePingSent(Clock::time_point at);
    void NotePingReply(Clock::time_point at);
    int32_t PingMs() const { return pingMs_; }
    // Sound and Silence messages read from the station and written to it.
    uint32_t SoundReceived() const { return soundReceived_; }
    uint32_t SoundSent() const { return soundSent_; }
    // Messages queued for the station and not yet written.
    int32_t Unsent() const { return unsent_; }
    // Bytes the station sent that wait in the socket, not yet read.
    int32_t Unread() const;
    Clock::time_point LastActivity() const { return Clock::time_point(lastActivity_.load()); }

private:
    void ReadLoop();
    void WriteLoop();

    const int id_;
    const std::string peer_;
    const size_t maxQueued_;
    IEvents& events_;
    const std::function<Clock::time_point()> now_;
    CSocketStream stream_;
    CStopFlag stop_;
    COutgoingQueue queue_;
    std::atomic<bool> closing_{false};
    std::atomic<bool> overflowed_{false};
    std::atomic<bool> joined_{false};
    std::atomic<int32_t> version_{0};
    std::atomic<uint32_t> machineValue_{0};
    const std::array<int32_t, 4> ipv4_;
    std::atomic<bool> admin_{false};
    std::mutex pingMutex_;
    std::optional<Clock::time_point> pingSent_; // the oldest unanswered ping
    std::atomic<int32_t> pingMs_{0};
    std::atomic<uint32_t> soundReceived_{0};
    std::atomic<uint32_t> soundSent_{0};
    std::atomic<int32_t> unsent_{0};
    std::atomic<Clock::duration> lastActivity_;
    mutable std::mutex nameMutex_;
    std::string callSign_;
    std::thread reader_;
    std::thread writer_;
};
