#include "platform/wave_requests.h"

#include <iterator>

void CWaveRequests::Open() {
    std::lock_guard lock(mutex_);
    pending_.clear();
    returning_.clear();
    open_ = true;
    started_ = reset_ = close_ = quit_ = false;
}

bool CWaveRequests::IsOpen() const {
    std::lock_guard lock(mutex_);
    return open_;
}

bool CWaveRequests::Add(WaveBuffer&& buffer) {
    if (buffer.samples.empty())
        return false;
    {
        std::lock_guard lock(mutex_);
        if (!open_)
            return false;
        pending_.push_back(std::move(buffer));
    }
    wake_.notify_all();
    return true;
}

bool CWaveRequests::Start() {
    {
        std::lock_guard lock(mutex_);
        if (!open_)
            return false;
        started_ = true;
    }
    wake_.notify_all();
    return true;
}

void CWaveRequests::Reset() {
    {
        std::lock_guard lock(mutex_);
        if (!open_)
            return;
        started_ = false;
        reset_ = true;
        std::move(pending_.begin(), pending_.end(), std::back_inserter(returning_));
        pending_.clear();
    }
    wake_.notify_all();
}

void CWaveRequests::Close() {
    {
        std::lock_guard lock(mutex_);
        if (!open_)
            return;
        open_ = started_ = false;
        close_ = true;
        std::move(pending_.begin(), pending_.end(), std::back_inserter(returning_));
        pending_.clear();
    }
    wake_.notify_all();
}

void CWaveRequests::Quit() {
    {
        std::lock_guard lock(mutex_);
        open_ = started_ = false;
        quit_ = true;
    }
    wake_.notify_all();
}

CWaveRequests::Next CWaveRequests::Wait(WaveBuffer& buffer, std::deque<WaveBuffer>& returned,
                                        std::optional<Clock::time_point> deadline,
                                        bool takeBuffers) {
    std::unique_lock lock(mutex_);
    const auto ready = [&] {
        return Interrupted() || (started_ && takeBuffers && !pending_.empty());
    };
    if (deadline) {
        if (!wake_.wait_until(lock, *deadline, ready))
            return Next::TimedOut;
    } else {
        wake_.wait(lock, ready);
    }
    if (quit_)
        return Next::Quit;
    if (close_ || reset_) {
        returned = std::move(returning_);
        returning_.clear();
        const Next next = close_ ? Next::Close : Next::Reset;
        close_ = reset_ = false;
        return next;
    }
    buffer = std::move(pending_.front());
    pending_.pop_front();
    return Next::Buffer;
}

bool CWaveRequests::SleepUntil(Clock::time_point deadline) {
    std::unique_lock lock(mutex_);
    return !wake_.wait_until(lock, deadline, [&] { return Interrupted(); });
}
