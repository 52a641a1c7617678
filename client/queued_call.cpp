#include "client/queued_call.h"

#include <QMetaObject>

void CQueuedCalls::Post(std::function<void()> call) {
    bool wake = false;
    {
        std::lock_guard<std::mutex> guard(lock_);
        wake = calls_.empty();
        calls_.push_back(std::move(call));
    }
    // A wake-up is already on its way while the queue holds calls.
    if (wake)
        QMetaObject::invokeMethod(this, "RunQueued", Qt::QueuedConnection);
}

void CQueuedCalls::RunQueued() {
    std::deque<std::function<void()>> batch;
    {
        std::lock_guard<std::mutex> guard(lock_);
        batch.swap(calls_);
    }
    for (std::function<void()>& call : batch)
        call();
}
