#pragma once

#include <atomic>
#include <cstdint>

// The program's millisecond tick count. It wraps after about 49.7 days, like
// the tick counter that the timing rules are written for, so elapsed times
// are always computed as unsigned differences.
class IClock {
public:
    virtual ~IClock() = default;
    virtual uint32_t Ticks() const = 0;
};

// Monotonic system time in milliseconds, truncated to 32 bits.
IClock& SystemClock();

// A clock that only moves when a test moves it.
class CManualClock : public IClock {
public:
    explicit CManualClock(uint32_t start = 0) : now_(start) {}
    uint32_t Ticks() const override { return now_.load(); }
    void Advance(uint32_t ms) { now_ += ms; }
    void Set(uint32_t ticks) { now_ = ticks; }

private:
    std::atomic<uint32_t> now_;
};
