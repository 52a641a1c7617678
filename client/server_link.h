#pragma once

#include "audio/queues.h"
#include "client/connection_state.h"
#include "client/queued_call.h"
#include "platform/clock.h"
#include "platform/stop_flag.h"
#include "platform/wake_signal.h"
#include "protocol/socket_stream.h"

#include <QObject>
#include <QTimer>

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <memory>
#include <mutex>
#include <string>
#include <thread>

class CMsg;

// What the server link tells its owner. The calls marked "UI thread" come as
// queued calls on the thread that owns the link; the others come from the
// link's worker threads and must not block on the UI thread.
class IServerLinkClient {
public:
    virtual ~IServerLinkClient() = default;
    // UI thread: the Internet test of a connect attempt has ended.
    virtual void OnInternetTested(bool reachable) = 0;
    // UI thread: the TCP connect has ended. On success the link holds the
    // connection, ready for Start; resolved is false when the host name did
    // not resolve.
    virtual void OnConnectDone(bool connected, bool resolved, const std::string& error) = 0;
    // UI thread: the connection ended by itself (a thread ended, not Stop).
    virtual void OnConnectionLost(const std::string& reason) = 0;
    // UI thread: nothing came from the server for the receive time-out.
    virtual void OnReceiveTimeout() = 0;
    // UI thread: the watchdog claimed a wanted reconnect.
    virtual void OnReconnectDue() = 0;
    // Receive thread: one message from the server. Pings are answered by the
    // link itself.
    virtual void OnServerMessage(CMsg& msg) = 0;
    // Transmit thread: one sound packet went out (silent: a packet of silence).
    virtual void OnSoundSent(bool silent) = 0;
};

// The one TCP connection to the conference server: the connect attempt off
// the UI thread, the receive and transmit threads, the ping reply, the
// receive time-out and the reconnect watchdog. Its public calls are made on
// the UI thread unless said otherwise.
class CServerLink : public QObject {
    Q_OBJECT
public:
    struct Timing {
        int watchdogPeriodMs = 5000;
        int receiveTimeoutMs = 30000;
        int connectTimeoutMs = 10000;
        // The receive time-out measures the quiet on this clock.
        IClock* clock = &SystemClock();
    };

    // `sound` is the queue of captured packets to send.
    CServerLink(IServerLinkClient& client, CSoundQueue& sound, Timing timing);
    // Stops the watchdog, any attempt and the connection (without a Bye).
    ~CServerLink() override;

    ConnectionState& State() { return state_; }
    const ConnectionState& State() const { return state_; }
    const Timing& Times() const { return timing_; }

    // Starts the reconnect watchdog.
    void StartWatchdog();

    // One step of a connect attempt each; the result comes back through the
    // client. A new step, or Cancel, makes the result of an earlier one be
    // dropped (a connection it made is closed unused).
    void TestInternet(const std::string& url);
    void ConnectTo(const std::string& host, int port);
    void CancelAttempt();

    // Runs the connection that ConnectTo made: the transmit thread, then the
    // receive thread, and the receive time-out.
    void Start();
    bool IsOpen() const { return stream_ != nullptr; }
    // Ends the connection: stops and joins both threads, sends "Bye" when
    // asked (only if the socket takes it at once) and closes the socket.
    void Stop(bool sayBye);
    // Any thread: ends the connection from inside, as a failure does.
    void RequestStop() { stop_.Set(); }

    // Any thread.
    CMsgQueue& MessageQueue() { return messageQueue_; }
    int32_t ServerVersion() const { return serverVersion_; }
    void ResetServerVersion() { serverVersion_ = 0; }

private:
    void ReceiveThread();
    void TransmitThread();
    void WatchdogThread();
    void ThreadEnded(const std::string& reason);
    bool AnswerPing();
    void JoinAttempt();
    void ArmReceiveTimeout();
    void ReceiveTimeoutFired();

    IServerLinkClient& client_;
    CQueuedCalls uiCalls_;
    CSoundQueue& sound_;
    const Timing timing_;
    ConnectionState state_;

    std::unique_ptr<CSocketStream> stream_;
    CStopFlag stop_;
    std::thread receiveThread_, transmitThread_;
    std::atomic<bool> stopping_{false};
    std::atomic<int32_t> serverVersion_{0};
    std::atomic<bool> pingReply_{false};
    CWakeSignal transmitWake_;
    CMsgQueue messageQueue_;

    QTimer receiveTimeout_;
    std::atomic<uint32_t> lastMessageTicks_{0};

    std::thread attempt_;
    CStopFlag attemptStop_;
    uint64_t attemptNumber_ = 0; // results of other attempts are dropped

    std::thread watchdog_;
    std::mutex watchdogLock_;
    std::condition_variable watchdogWake_;
    bool watchdogStop_ = false;
};
