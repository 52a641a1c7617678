#include "server/outgoing_queue.h"

size_t COutgoingQueue::Push(Item message) {
    size_t length;
    {
        std::lock_guard lock(mutex_);
        items_.push_back(std::move(message));
        length = items_.size();
    }
    wake_.Notify();
    return length;
}

std::deque<COutgoingQueue::Item> COutgoingQueue::TakeAll() {
    std::deque<Item> taken;
    std::lock_guard lock(mutex_);
    taken.swap(items_);
    return taken;
}
