#pragma once

#include "platform/stop_flag.h"
#include "protocol/msg.h"
#include "protocol/socket_stream.h"

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <memory>
#include <mutex>
#include <optional>
#include <thread>
#include <vector>

// The far end of a client's connection, driven step by step by a test: it
// listens on 127.0.0.1, accepts the client's connection, reads the client's
// messages one at a time with a time-out and writes whatever the test wants
// the client to see, well-formed or not.
class CScriptedPeer {
public:
    // Listens on 127.0.0.1 at `port`; 0 lets the system pick one.
    explicit CScriptedPeer(uint16_t port = 0);
    ~CScriptedPeer();
    CScriptedPeer(const CScriptedPeer&) = delete;
    CScriptedPeer& operator=(const CScriptedPeer&) = delete;

    bool IsListening() const { return listenFd_ >= 0; }
    uint16_t Port() const { return port_; }
    // Closes the listening socket; later connects to the port are refused.
    void StopListening();

    // Waits up to timeoutMs for the next connection. A new connection
    // replaces (and closes) the one accepted before.
    bool Accept(int timeoutMs);
    bool HasConnection() const { return stream_ != nullptr; }
    // The accepted connection's descriptor (non-blocking), -1 without one.
    int Fd() const { return stream_ ? stream_->Fd() : -1; }

    // The next whole message from the client; null when none arrived within
    // timeoutMs (err 3), the client closed the connection (err 1), or the
    // stream could not be read (err as ReadMessage gives it). A time-out in
    // the middle of a message leaves the stream out of step.
    std::unique_ptr<CMsg> Read(int timeoutMs, int* err = nullptr);
    // True when the client ends the connection within timeoutMs without
    // sending any further message.
    bool WaitClosed(int timeoutMs);

    bool Send(const CMsg& message);
    // Raw bytes, for streams that no message class would write.
    bool SendBytes(const std::vector<uint8_t>& bytes);

    // Ends the connection: the client sees the peer close.
    void Hangup();
    // Closes the sending direction only, so the client sees the end of the
    // stream while whatever it still sends can be read here.
    void HalfClose();

private:
    void TimerThread();
    void ArmDeadline(int timeoutMs);
    // Disarms the deadline; true when it had passed and set the stop flag.
    bool DisarmDeadline();

    int listenFd_ = -1;
    uint16_t port_ = 0;
    std::unique_ptr<CSocketStream> stream_;
    CStopFlag stop_;

    // Ends a pending read at its deadline by setting stop_.
    std::mutex timerLock_;
    std::condition_variable timerChanged_;
    std::optional<std::chrono::steady_clock::time_point> deadline_;
    bool deadlinePassed_ = false;
    bool timerQuit_ = false;
    std::thread timer_;
};
