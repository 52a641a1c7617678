#pragma once

#include "platform/wake_signal.h"
#include "protocol/msg.h"

#include <cstddef>
#include <deque>
#include <memory>
#include <mutex>

// The messages waiting to be written to one station, oldest first. Messages
// are shared: one relayed sound goes to every listener without a copy.
// Producers on any thread push; the station's writer sleeps on Wake() until
// there is something to take.
class COutgoingQueue {
public:
    using Item = std::shared_ptr<const CMsg>;

    // Appends the message and wakes the writer; returns the queue's length.
    size_t Push(Item message);
    // Takes every waiting message at once.
    std::deque<Item> TakeAll();
    CWakeSignal& Wake() { return wake_; }

private:
    std::mutex mutex_;
    std::deque<Item> items_;
    CWakeSignal wake_;
};
