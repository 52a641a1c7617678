#include "client/receiver_overs.h"

bool CReceiverOvers::SoundSent() {
    std::lock_guard<std::mutex> guard(lock_);
    lastTicks_ = clock_.Ticks();
    if (running_)
        return false;
    running_ = true;
    firstTicks_ = lastTicks_;
    return true;
}

uint32_t CReceiverOvers::TakeEnded() {
    std::lock_guard<std::mutex> guard(lock_);
    if (!running_ || clock_.Ticks() - lastTicks_ < kQuietMs)
        return 0;
    running_ = false;
    return lastTicks_ - firstTicks_ + kPacketMs;
}
