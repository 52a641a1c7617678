#include "client/queued_call.h"

#include <QSocketNotifier>

#include <sys/eventfd.h>
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>

CQueuedCalls::CQueuedCalls(QObject* parent)
    : QObject(parent), wakeFd_(eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK)) {
    if (wakeFd_ < 0) {
        // Without it no reply from another thread could ever reach the
        // event loop; running on would leave the program deaf.
        std::perror("eventfd");
        std::abort();
    }
    notifier_ = new QSocketNotifier(wakeFd_, QSocketNotifier::Read, this);
    connect(notifier_, &QSocketNotifier::activated, this, &CQueuedCalls::RunQueued);
}

CQueuedCalls::~CQueuedCalls() {
    delete notifier_;
    close(wakeFd_);
}

void CQueuedCalls::Post(std::function<void()> call) {
    bool wake = false;
    {
        std::lock_guard<std::mutex> guard(lock_);
        wake = calls_.empty();
        calls_.push_back(std::move(call));
    }
    // A wake-up is already on its way while the queue holds calls.
    if (wake) {
        const uint64_t one = 1;
        [[maybe_unused]] ssize_t n = write(wakeFd_, &one, sizeof one);
    }
}

void CQueuedCalls::RunQueued() {
    // Drain the counter before taking the calls: a post that comes after
    // this read either lands in this batch or wakes the loop again.
    uint64_t count = 0;
    [[maybe_unused]] ssize_t n = read(wakeFd_, &count, sizeof count);
    std::deque<std::function<void()>> batch;
    {
        std::lock_guard<std::mutex> guard(lock_);
        batch.swap(calls_);
    }
    for (std::function<void()>& call : batch)
        call();
}
