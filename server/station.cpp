#include "server/station.h"

#include <netinet/in.h>
#include <sys/ioctl.h>
#include <sys/socket.h>

#include <algorithm>
#include <cerrno>

namespace {
bool IsSound(const CMsg& message) {
    return message.command == kCmdSound || message.command == kCmdSilence;
}

// The IPv4 address of the socket's peer, also when it arrives mapped into
// IPv6 on a dual-stack listener.
std::array<int32_t, 4> PeerIpv4(int fd) {
    sockaddr_storage address{};
    socklen_t length = sizeof address;
    const uint8_t* octets = nullptr;
    if (getpeername(fd, reinterpret_cast<sockaddr*>(&address), &length) == 0) {
        if (address.ss_family == AF_INET) {
            octets = reinterpret_cast<const uint8_t*>(
                &reinterpret_cast<const sockaddr_in&>(address).sin_addr.s_addr);
        } else if (address.ss_family == AF_INET6) {
            const in6_addr& v6 = reinterpret_cast<const sockaddr_in6&>(address).sin6_addr;
            if (IN6_IS_ADDR_V4MAPPED(&v6))
                octets = v6.s6_addr + 12;
        }
    }
    if (!octets)
        return {};
    return {octets[0], octets[1], octets[2], octets[3]};
}
} // namespace

CStation::CStation(int id, int fd, std::string peer, size_t maxQueued, IEvents& events,
                   std::function<Clock::time_point()> now)
    : id_(id), peer_(std::move(peer)), maxQueued_(maxQueued), events_(events), now_(std::move(now)),
      stream_(fd), ipv4_(PeerIpv4(fd)), lastActivity_(now_().time_since_epoch()) {}

CStation::~CStation() {
    Abort();
    JoinThreads();
}

void CStation::Start() {
    reader_ = std::thread([this] { ReadLoop(); });
    writer_ = std::thread([this] { WriteLoop(); });
}

void CStation::Send(std::shared_ptr<const CMsg> message) {
    if (closing_ || overflowed_)
        return;
    ++unsent_;
    if (queue_.Push(std::move(message)) > maxQueued_ && !overflowed_.exchange(true))
        stop_.Set();
}

void CStation::Close() {
    closing_ = true;
    queue_.Wake().Notify();
}

void CStation::Abort() {
    stop_.Set();
}

void CStation::JoinThreads() {
    if (reader_.joinable())
        reader_.join();
    if (writer_.joinable())
        writer_.join();
}

std::string CStation::Label() const {
    std::lock_guard lock(nameMutex_);
    // Appended piece by piece: GCC 12 warns falsely about "literal" + string.
    std::string label = "#";
    label += std::to_string(id_);
    label += ' ';
    label += callSign_.empty() ? peer_ : callSign_;
    return label;
}

void CStation::SetCallSign(const std::string& callSign) {
    std::lock_guard lock(nameMutex_);
    callSign_ = callSign;
}

std::string CStation::CallSign() const {
    std::lock_guard lock(nameMutex_);
    return callSign_;
}

void CStation::NotePingSent(Clock::time_point at) {
    std::lock_guard lock(pingMutex_);
    if (!pingSent_)
        pingSent_ = at;
}

void CStation::NotePingReply(Clock::time_point at) {
    std::lock_guard lock(pingMutex_);
    if (!pingSent_)
        return;
    const auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(at - *pingSent_);
    // A loopback round trip takes less than a millisecond; 0 would read as
    // "no ping known".
    pingMs_ = int32_t(std::max<int64_t>(1, ms.count()));
    pingSent_.reset();
}

int32_t CStation::Unread() const {
    int bytes = 0;
    return ioctl(stream_.Fd(), FIONREAD, &bytes) == 0 ? bytes : 0;
}

void CStation::ReadLoop() {
    for (;;) {
        int err = 0;
        std::unique_ptr<CMsg> message = ReadMessage(stream_, stop_, err);
        if (!message) {
            events_.OnReadEnd(*this, err);
            return;
        }
        lastActivity_ = now_().time_since_epoch();
        if (IsSound(*message))
            ++soundReceived_;
        // After a hang-up the reader only waits for the peer to close, so
        // that closing the socket does not discard what was sent last.
        if (!closing_)
            events_.OnMessage(*this, std::move(message));
    }
}

void CStation::WriteLoop() {
    for (;;) {
        const std::deque<COutgoingQueue::Item> batch = queue_.TakeAll();
        for (const COutgoingQueue::Item& message : batch) {
            if (stop_.IsSet())
                return;
            // Counted before the write, so that a peer that has read the
            // sound finds it counted.
            if (IsSound(*message))
                ++soundSent_;
            if (!message->Write(stream_, stop_)) {
                events_.OnWriteFailed(*this, errno);
                return;
            }
            --unsent_;
        }
        if (stop_.IsSet())
            return;
        if (batch.empty()) {
            if (closing_) {
                shutdown(stream_.Fd(), SHUT_WR);
                return;
            }
            queue_.Wake().Wait(&stop_);
        }
    }
}
