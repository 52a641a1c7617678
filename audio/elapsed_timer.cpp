#include "audio/elapsed_timer.h"

CElapsedTimer::CElapsedTimer(IClock& clock) : clock_(clock) {
    Restart();
}

void CElapsedTimer::Restart() {
    std::lock_guard lock(mutex_);
    start_ = clock_.Ticks();
    stopped_ = false;
}

void CElapsedTimer::Stop() {
    std::lock_guard lock(mutex_);
    stopped_ = true;
}

uint32_t CElapsedTimer::Elapsed() const {
    std::lock_guard lock(mutex_);
    return stopped_ ? 0 : clock_.Ticks() - start_;
}
