#pragma once

#include "platform/wave_device.h"

#include <chrono>
#include <condition_variable>
#include <deque>
#include <mutex>
#include <optional>

// What a threaded wave device shares between the caller and its device
// thread: the buffers lent and not yet taken, and the requests to start,
// reset, close or quit. The caller's side never blocks for long; the device
// thread sleeps in Wait until there is something to do.
class CWaveRequests {
public:
    using Clock = std::chrono::steady_clock;

    enum class Next {
        Buffer,   // the oldest buffer to record or play
        TimedOut, // the deadline passed
        Reset,    // return the buffers in `returned`, stop, stay open
        Close,    // return the buffers in `returned`, close, notify
        Quit,     // close without notifications (the device is being destroyed)
    };

    // Caller's side.
    // A fresh open: accepts buffers, not started, no requests.
    void Open();
    // From Open until Close or Quit.
    bool IsOpen() const;
    // False (the buffer stays with the caller) unless open, or when empty.
    bool Add(WaveBuffer&& buffer);
    bool Start();
    // The buffers lent until now go back with the reset; later ones wait for
    // the next Start.
    void Reset();
    // Every buffer goes back, and no more are taken.
    void Close();
    // Ends the device thread without notifications.
    void Quit();

    // Device thread's side.
    // Waits for the next thing to do: quit, close and reset come first, then
    // (while started and takeBuffers) the oldest buffer, else the deadline.
    Next Wait(WaveBuffer& buffer, std::deque<WaveBuffer>& returned,
              std::optional<Clock::time_point> deadline, bool takeBuffers = true);
    // Sleeps until the deadline; false when a reset, close or quit came
    // first (Wait then reports it).
    bool SleepUntil(Clock::time_point deadline);

private:
    bool Interrupted() const { return quit_ || close_ || reset_; }

    mutable std::mutex mutex_;
    std::condition_variable wake_;
    std::deque<WaveBuffer> pending_;
    std::deque<WaveBuffer> returning_; // taken from pending_ by Reset or Close
    bool open_ = false;
    bool started_ = false;
    bool reset_ = false;
    bool close_ = false;
    bool quit_ = false;
};
