#include "tests/support/scripted_peer.h"

#include "protocol/wire_io.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>

CScriptedPeer::CScriptedPeer(uint16_t port) : timer_([this] { TimerThread(); }) {
    listenFd_ = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (listenFd_ < 0)
        return;
    const int on = 1;
    setsockopt(listenFd_, SOL_SOCKET, SO_REUSEADDR, &on, sizeof on);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(port);
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t length = sizeof address;
    if (bind(listenFd_, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 ||
        listen(listenFd_, 8) != 0 ||
        getsockname(listenFd_, reinterpret_cast<sockaddr*>(&address), &length) != 0) {
        StopListening();
        return;
    }
    port_ = ntohs(address.sin_port);
}

CScriptedPeer::~CScriptedPeer() {
    {
        std::lock_guard<std::mutex> guard(timerLock_);
        timerQuit_ = true;
    }
    timerChanged_.notify_all();
    timer_.join();
    StopListening();
}

void CScriptedPeer::StopListening() {
    if (listenFd_ >= 0)
        close(listenFd_);
    listenFd_ = -1;
}

bool CScriptedPeer::Accept(int timeoutMs) {
    if (listenFd_ < 0)
        return false;
    pollfd fd = {listenFd_, POLLIN, 0};
    int ready;
    do {
        ready = poll(&fd, 1, timeoutMs);
    } while (ready < 0 && errno == EINTR);
    if (ready <= 0)
        return false;
    const int connection = accept4(listenFd_, nullptr, nullptr, SOCK_NONBLOCK | SOCK_CLOEXEC);
    if (connection < 0)
        return false;
    stream_ = std::make_unique<CSocketStream>(connection);
    return true;
}

void CScriptedPeer::TimerThread() {
    std::unique_lock<std::mutex> lock(timerLock_);
    while (!timerQuit_) {
        if (!deadline_) {
            timerChanged_.wait(lock);
            continue;
        }
        if (timerChanged_.wait_until(lock, *deadline_) == std::cv_status::timeout && deadline_ &&
            std::chrono::steady_clock::now() >= *deadline_) {
            deadline_.reset();
            deadlinePassed_ = true;
            stop_.Set();
        }
    }
}

void CScriptedPeer::ArmDeadline(int timeoutMs) {
    {
        std::lock_guard<std::mutex> guard(timerLock_);
        deadline_ = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
        deadlinePassed_ = false;
    }
    timerChanged_.notify_all();
}

bool CScriptedPeer::DisarmDeadline() {
    std::lock_guard<std::mutex> guard(timerLock_);
    deadline_.reset();
    const bool passed = deadlinePassed_;
    deadlinePassed_ = false;
    stop_.Reset();
    return passed;
}

std::unique_ptr<CMsg> CScriptedPeer::Read(int timeoutMs, int* err) {
    int code = kErrPeerClosed;
    std::unique_ptr<CMsg> message;
    if (stream_) {
        ArmDeadline(timeoutMs);
        message = ReadMessage(*stream_, stop_, code);
        if (DisarmDeadline() && !message)
            code = kErrStopped;
    }
    if (err)
        *err = code;
    return message;
}

bool CScriptedPeer::WaitClosed(int timeoutMs) {
    int err = 0;
    if (Read(timeoutMs, &err))
        return false;
    // A client that closes with bytes of ours still unread resets the connection.
    return err == kErrPeerClosed || err == ECONNRESET;
}

bool CScriptedPeer::Send(const CMsg& message) {
    return stream_ && message.Write(*stream_, stop_);
}

bool CScriptedPeer::SendBytes(const std::vector<uint8_t>& bytes) {
    return stream_ && WriteBytes(*stream_, stop_, bytes.data(), bytes.size());
}

void CScriptedPeer::Hangup() {
    stream_.reset();
}

void CScriptedPeer::HalfClose() {
    if (stream_)
        shutdown(stream_->Fd(), SHUT_WR);
}
