#pragma once

#include "platform/clock.h"

#include <cstdint>
#include <mutex>

// A millisecond stopwatch on the program's clock, safe to share between
// threads. It runs from its construction.
class CElapsedTimer {
public:
    explicit CElapsedTimer(IClock& clock = SystemClock());

    // Starts counting from now.
    void Restart();
    // Stops the stopwatch; Elapsed reads 0 until the next Restart.
    void Stop();
    // Milliseconds since the last Restart, wrapping with the 32-bit tick
    // count; 0 while stopped.
    uint32_t Elapsed() const;

private:
    IClock& clock_;
    mutable std::mutex mutex_;
    bool stopped_ = false;
    uint32_t start_ = 0;
};
