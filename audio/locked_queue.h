#pragma once

#include "platform/wake_signal.h"

#include <atomic>
#include <cstddef>
#include <deque>
#include <memory>
#include <mutex>

// An unbounded first-in-first-out queue of owned elements, safe to use from
// several threads. Get hands the element's ownership to the caller.
//
// A consumer thread can sleep until there is work: attach a CWakeSignal and
// every Add notifies it (after the queue's lock is released). One signal may
// be attached to several queues, so one thread can wait on all of them and on
// a stop flag at once; after waking it must look at every queue, since one
// wake-up may stand for several additions.
template <class T> class CLockedQueue {
public:
    explicit CLockedQueue(CWakeSignal* wake = nullptr) : wake_(wake) {}
    CLockedQueue(const CLockedQueue&) = delete;
    CLockedQueue& operator=(const CLockedQueue&) = delete;

    void AttachWakeSignal(CWakeSignal* wake) { wake_.store(wake); }

    // Appends at the tail. A null element is not queued, since Get's null
    // means "empty".
    void Add(std::unique_ptr<T> element) {
        if (!element)
            return;
        {
            std::lock_guard lock(mutex_);
            items_.push_back(std::move(element));
        }
        if (CWakeSignal* wake = wake_.load())
            wake->Notify();
    }

    // Removes and returns the head element; null when the queue is empty.
    std::unique_ptr<T> Get() {
        std::lock_guard lock(mutex_);
        if (items_.empty())
            return nullptr;
        std::unique_ptr<T> head = std::move(items_.front());
        items_.pop_front();
        return head;
    }

    bool IsEmpty() const {
        std::lock_guard lock(mutex_);
        return items_.empty();
    }

    size_t Size() const {
        std::lock_guard lock(mutex_);
        return items_.size();
    }

    // Deletes every element. The elements are destroyed after the lock is
    // released, so their destructors may use the queue.
    void Clear() {
        std::deque<std::unique_ptr<T>> removed;
        {
            std::lock_guard lock(mutex_);
            removed.swap(items_);
        }
    }

private:
    mutable std::mutex mutex_;
    std::deque<std::unique_ptr<T>> items_;
    std::atomic<CWakeSignal*> wake_;
};
