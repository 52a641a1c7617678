#include "audio/elapsed_timer.h"

#include <gtest/gtest.h>

namespace {

TEST(ElapsedTimer, CountsFromRestartAndReadsZeroWhileStopped) {
    CManualClock clock(5000);
    CElapsedTimer timer(clock);
    EXPECT_EQ(timer.Elapsed(), 0u);
    clock.Advance(250);
    EXPECT_EQ(timer.Elapsed(), 250u);
    timer.Restart();
    clock.Advance(40);
    EXPECT_EQ(timer.Elapsed(), 40u);

    timer.Stop();
    clock.Advance(1000);
    EXPECT_EQ(timer.Elapsed(), 0u);
    timer.Restart();
    EXPECT_EQ(timer.Elapsed(), 0u);
    clock.Advance(7);
    EXPECT_EQ(timer.Elapsed(), 7u);
}

TEST(ElapsedTimer, WrapsWithTheTickCount) {
    CManualClock clock(0xFFFFFF00u);
    CElapsedTimer timer(clock);
    clock.Set(0x100);
    EXPECT_EQ(timer.Elapsed(), 0x200u);
}

} // namespace
