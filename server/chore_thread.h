#pragma once

#include <chrono>
#include <condition_variable>
#include <functional>
#include <mutex>
#include <thread>

// A thread that runs the server's timed chores. The chores run once at
// start, then whenever the time they asked to sleep has passed or Wake() is
// called; between runs the thread sleeps on a condition variable.
class CChoreThread {
public:
    // Runs the chores that are due; returns how long to sleep until the next
    // is due.
    using Chores = std::function<std::chrono::steady_clock::duration()>;

    ~CChoreThread() { Stop(); }

    void Start(Chores chores);
    // Runs the chores again soon, for a new deadline may be earlier than the
    // one the thread sleeps towards.
    void Wake();
    void Stop();

private:
    void Run();

    Chores chores_;
    std::mutex mutex_;
    std::condition_variable changed_;
    bool woken_ = false;
    bool stopping_ = false;
    std::thread thread_;
};
