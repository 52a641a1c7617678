#include "platform/clock.h"
#include "platform/stop_flag.h"
#include "platform/wake_signal.h"

#include <gtest/gtest.h>

#include <atomic>
#include <thread>

namespace {

TEST(WakeSignal, KeepsANotificationGivenBeforeTheWait) {
    CWakeSignal signal;
    CStopFlag stop;
    signal.Notify();
    signal.Notify();
    EXPECT_TRUE(signal.Wait(&stop, 1000));
    // Both notifications were consumed by the one wait.
    EXPECT_FALSE(signal.Wait(&stop, 0));
}

TEST(WakeSignal, WakesOnNotifyFromAnotherThreadAndOnStop) {
    CWakeSignal signal;
    CStopFlag stop;
    std::atomic<int> wakes{0};
    std::thread consumer([&] {
        while (!stop.IsSet())
            if (signal.Wait(&stop))
                ++wakes;
    });
    signal.Notify();
    while (wakes.load() == 0)
        std::this_thread::yield();
    stop.Set();
    consumer.join();
    EXPECT_GE(wakes.load(), 1);
}

TEST(StopFlag, SetIsIdempotentAndResetClearsTheDescriptor) {
    CStopFlag stop;
    CWakeSignal signal;
    EXPECT_FALSE(stop.IsSet());
    stop.Set();
    stop.Set();
    EXPECT_TRUE(stop.IsSet());
    EXPECT_TRUE(signal.Wait(&stop, 0));
    stop.Reset();
    EXPECT_FALSE(stop.IsSet());
    EXPECT_FALSE(signal.Wait(&stop, 0));
}

TEST(ManualClock, TicksWrapLikeTheTickCounter) {
    CManualClock clock(0xFFFFFFF0u);
    const uint32_t start = clock.Ticks();
    clock.Advance(0x20);
    EXPECT_EQ(clock.Ticks() - start, 0x20u);
    EXPECT_LT(clock.Ticks(), start);
}

} // namespace
