#include "server/station.h"

#include <sys/socket.h>

#include <cerrno>

CStation::CStation(int id, int fd, std::string peer, size_t maxQueued, IEvents& events)
    : id_(id), peer_(std::move(peer)), maxQueued_(maxQueued), events_(events), stream_(fd),
      lastActivity_(Clock::now().time_since_epoch()) {}

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

void CStation::ReadLoop() {
    for (;;) {
        int err = 0;
        std::unique_ptr<CMsg> message = ReadMessage(stream_, stop_, err);
        if (!message) {
            events_.OnReadEnd(*this, err);
            return;
        }
        lastActivity_ = Clock::now().time_since_epoch();
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
            if (!message->Write(stream_, stop_)) {
                events_.OnWriteFailed(*this, errno);
                return;
            }
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
