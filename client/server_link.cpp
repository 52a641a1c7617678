#include "client/server_link.h"

#include "audio/sound_message_conversion.h"
#include "audio/sound_packet.h"
#include "client/dial_internet.h"
#include "platform/clock.h"
#include "platform/socket_error_text.h"
#include "platform/tcp_connect.h"
#include "protocol/conference_messages.h"

#include <sys/socket.h>

#include <algorithm>

namespace {
// Each sound message and its filler carry this many payload bytes together.
constexpr int kSoundUnitBytes = 1000;

std::string ReadErrorText(int err) {
    switch (err) {
    case kErrUnknownCommand:
        return "unknown command";
    case kErrPeerClosed:
        return "the server closed the connection";
    case kErrOutOfBounds:
        return "a message out of bounds";
    case kErrStopped:
        return "stopped";
    default:
        return SocketErrorSentence(err);
    }
}
} // namespace

CServerLink::CServerLink(IServerLinkClient& client, CSoundQueue& sound, Timing timing)
    : client_(client), sound_(sound), timing_(timing) {
    messageQueue_.AttachWakeSignal(&transmitWake_);
    sound_.AttachWakeSignal(&transmitWake_);
    receiveTimeout_.setSingleShot(true);
    connect(&receiveTimeout_, &QTimer::timeout, this, [this] { ReceiveTimeoutFired(); });
}

CServerLink::~CServerLink() {
    {
        std::lock_guard<std::mutex> guard(watchdogLock_);
        watchdogStop_ = true;
    }
    watchdogWake_.notify_all();
    if (watchdog_.joinable())
        watchdog_.join();
    CancelAttempt();
    if (IsOpen())
        Stop(false);
    sound_.AttachWakeSignal(nullptr);
}

// ---- the connect attempt

void CServerLink::JoinAttempt() {
    if (!attempt_.joinable())
        return;
    attempt_.join();
    attemptStop_.Reset();
}

void CServerLink::CancelAttempt() {
    ++attemptNumber_;
    attemptStop_.Set();
    JoinAttempt();
}

void CServerLink::TestInternet(const std::string& url) {
    JoinAttempt();
    const uint64_t number = ++attemptNumber_;
    attempt_ = std::thread([this, url, number] {
        const bool reachable = CDialInternet::TestConnection(url, attemptStop_);
        uiCalls_.Post([this, reachable, number] {
            if (number != attemptNumber_)
                return;
            JoinAttempt();
            client_.OnInternetTested(reachable);
        });
    });
}

void CServerLink::ConnectTo(const std::string& host, int port) {
    JoinAttempt();
    const uint64_t number = ++attemptNumber_;
    attempt_ = std::thread([this, host, port, number] {
        std::string error;
        const int fd = ConnectTcp(host, port, timing_.connectTimeoutMs, attemptStop_, error);
        uiCalls_.Post([this, fd, error, number] {
            if (number != attemptNumber_) {
                if (fd >= 0)
                    close(fd);
                return;
            }
            JoinAttempt();
            if (fd >= 0)
                stream_ = std::make_unique<CSocketStream>(fd);
            client_.OnConnectDone(fd >= 0, fd != -2, error);
        });
    });
}

// ---- the connection

void CServerLink::Start() {
    stop_.Reset();
    stopping_ = false;
    transmitThread_ = std::thread(&CServerLink::TransmitThread, this);
    receiveThread_ = std::thread(&CServerLink::ReceiveThread, this);
    ArmReceiveTimeout();
}

void CServerLink::Stop(bool sayBye) {
    stopping_ = true;
    stop_.Set();
    receiveTimeout_.stop();
    if (transmitThread_.joinable())
        transmitThread_.join();
    if (receiveThread_.joinable())
        receiveThread_.join();
    if (!stream_)
        return;
    // The stop flag is already set, so a server that no longer reads cannot
    // hold the window here: the Bye goes out only if the socket takes it now.
    if (sayBye)
        CMsg(kCmdBye).Write(*stream_, stop_);
    shutdown(stream_->Fd(), SHUT_RDWR);
    stream_.reset();
}

// The first thread to end names the reason; the other, stopped by the flag,
// must not claim it first with a plain "stopped".
void CServerLink::ThreadEnded(const std::string& reason) {
    const bool first = !stopping_.exchange(true);
    stop_.Set();
    if (first)
        uiCalls_.Post([this, reason] { client_.OnConnectionLost(reason); });
}

// ---- the receive time-out

void CServerLink::ArmReceiveTimeout() {
    lastMessageTicks_ = timing_.clock->Ticks();
    receiveTimeout_.start(timing_.receiveTimeoutMs);
}

// The timer runs once per time-out period rather than being restarted for
// every message: when it fires it looks at the time of the last message and
// waits for the rest of the period if one came since.
void CServerLink::ReceiveTimeoutFired() {
    if (!IsOpen() || stopping_)
        return;
    const uint32_t quiet = timing_.clock->Ticks() - lastMessageTicks_;
    if (quiet < uint32_t(timing_.receiveTimeoutMs)) {
        receiveTimeout_.start(timing_.receiveTimeoutMs - int(quiet));
        return;
    }
    client_.OnReceiveTimeout();
}

// ---- receive

void CServerLink::ReceiveThread() {
    std::string reason = "stopped";
    for (;;) {
        int err = 0;
        std::unique_ptr<CMsg> msg = ReadMessage(*stream_, stop_, err);
        if (!msg) {
            reason = ReadErrorText(err);
            break;
        }
        lastMessageTicks_ = timing_.clock->Ticks();
        if (msg->command == kCmdPing) {
            pingReply_ = true;
            transmitWake_.Notify();
        } else if (msg->command == kCmdVersion) {
            serverVersion_ = static_cast<CVersionMessage&>(*msg).version;
        }
        client_.OnServerMessage(*msg);
        if (stop_.IsSet())
            break;
    }
    ThreadEnded(reason);
}

// ---- transmit

bool CServerLink::AnswerPing() {
    if (!pingReply_.exchange(false))
        return true;
    return CMsg(kCmdPing).Write(*stream_, stop_);
}

void CServerLink::TransmitThread() {
    bool error = false;
    while (!stop_.IsSet() && !error) {
        // Sleep until there is something to send or the connection stops.
        if (sound_.IsEmpty() && messageQueue_.IsEmpty() && !pingReply_)
            transmitWake_.Wait(&stop_);
        if (stop_.IsSet())
            break;
        error = !AnswerPing();
        // Sound first: everything queued, each with its filler.
        while (!error && !stop_.IsSet()) {
            std::unique_ptr<CSoundPacket> packet = sound_.Get();
            if (!packet)
                break;
            error = !AnswerPing();
            std::unique_ptr<CSoundMessage> sound = MakeSoundMessage(*packet);
            if (!sound->Write(*stream_, stop_))
                error = true;
            const int fillerLength = std::max(0, kSoundUnitBytes - int(sound->length));
            if (!CDummyMessage(uint16_t(fillerLength)).Write(*stream_, stop_))
                error = true;
            client_.OnSoundSent(packet->silent);
        }
        // Then the control messages.
        while (!error && !stop_.IsSet()) {
            std::unique_ptr<CMsg> msg = messageQueue_.Get();
            if (!msg)
                break;
            error = !AnswerPing() || !msg->Write(*stream_, stop_);
        }
    }
    ThreadEnded(error ? "the connection failed while sending" : "stopped");
}

// ---- watchdog

void CServerLink::StartWatchdog() {
    watchdog_ = std::thread(&CServerLink::WatchdogThread, this);
}

void CServerLink::WatchdogThread() {
    std::unique_lock<std::mutex> lock(watchdogLock_);
    for (;;) {
        watchdogWake_.wait_for(lock, std::chrono::milliseconds(timing_.watchdogPeriodMs),
                               [this] { return watchdogStop_; });
        if (watchdogStop_)
            return;
        if (state_.ClaimReconnect())
            uiCalls_.Post([this] { client_.OnReconnectDue(); });
    }
}
