#pragma once

#include <atomic>

// A flag that any thread may set to abandon a connection. Setting it wakes at
// once every thread that waits in poll() on Fd() (the descriptor stays
// readable while the flag is set), so waiting loops need no periodic wake-ups.
class CStopFlag {
public:
    CStopFlag();
    ~CStopFlag();
    CStopFlag(const CStopFlag&) = delete;
    CStopFlag& operator=(const CStopFlag&) = delete;

    void Set();
    void Reset();
    bool IsSet() const { return set_.load(std::memory_order_acquire); }
    // Readable while the flag is set; for poll() together with other descriptors.
    int Fd() const { return fd_; }

private:
    int fd_;
    std::atomic<bool> set_{false};
};
