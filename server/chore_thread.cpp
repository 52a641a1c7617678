#include "server/chore_thread.h"

namespace {
// The longest single sleep; keeps the deadline arithmetic far from overflow.
constexpr std::chrono::hours kLongestSleep{1};
} // namespace

void CChoreThread::Start(Chores chores) {
    chores_ = std::move(chores);
    stopping_ = false;
    thread_ = std::thread([this] { Run(); });
}

void CChoreThread::Wake() {
    {
        std::lock_guard lock(mutex_);
        woken_ = true;
    }
    changed_.notify_one();
}

void CChoreThread::Stop() {
    {
        std::lock_guard lock(mutex_);
        stopping_ = true;
    }
    changed_.notify_one();
    if (thread_.joinable())
        thread_.join();
}

void CChoreThread::Run() {
    std::unique_lock lock(mutex_);
    while (!stopping_) {
        woken_ = false;
        lock.unlock();
        const std::chrono::steady_clock::duration sleep =
            std::min<std::chrono::steady_clock::duration>(chores_(), kLongestSleep);
        lock.lock();
        changed_.wait_for(lock, sleep, [this] { return woken_ || stopping_; });
    }
}
