#pragma once

class CStopFlag;

// A counting wake-up that producers notify and one consumer waits on, together
// with a stop flag. A notification given before the consumer starts waiting is
// kept, so "check for work, then wait" never misses one.
class CWakeSignal {
public:
    CWakeSignal();
    ~CWakeSignal();
    CWakeSignal(const CWakeSignal&) = delete;
    CWakeSignal& operator=(const CWakeSignal&) = delete;

    void Notify();
    // Blocks until a notification arrives, the stop flag (if any) is set, or
    // timeoutMs passes (-1: no time-out). Consumes pending notifications.
    // Returns true when woken by a notification or the stop flag.
    bool Wait(const CStopFlag* stop, int timeoutMs = -1);
    int Fd() const { return fd_; }

private:
    int fd_;
};
