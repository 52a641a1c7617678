#include "audio/mixing.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

TEST(Mixing, SumsAreClampedSymmetricallyAndOnlyTheOverlapIsMixed) {
    std::vector<int16_t> out = {30000, -30000, 100, -100, 5};
    const std::vector<int16_t> in = {10000, -10000, -32767, 32767};
    EXPECT_EQ(MixInto(out.data(), 5, in.data(), 4), 4);
    EXPECT_EQ(out, (std::vector<int16_t>{32767, -32767, -32667, 32667, 5}));

    std::vector<int16_t> shortOut = {1, 2};
    EXPECT_EQ(MixInto(shortOut.data(), 2, in.data(), 4), 2);
    EXPECT_EQ(shortOut, (std::vector<int16_t>{10001, -9998}));

    std::vector<int16_t> minimum = {-32768};
    const int16_t zero = 0;
    MixInto(minimum.data(), 1, &zero, 1);
    EXPECT_EQ(minimum[0], -32767);
}

TEST(Mixing, LoopedSoundWrapsAndReportsItsPosition) {
    const std::vector<int16_t> tone = {1, 2, 3};
    std::vector<int16_t> out(8, 10);
    EXPECT_EQ(MixLooped(out.data(), 8, tone.data(), 3, 2), 1);
    EXPECT_EQ(out, (std::vector<int16_t>{13, 11, 12, 13, 11, 12, 13, 11}));

    // Ending exactly at the sound's end wraps to 0.
    std::vector<int16_t> exact(3, 0);
    EXPECT_EQ(MixLooped(exact.data(), 3, tone.data(), 3, 0), 0);

    std::vector<int16_t> untouched(4, 7);
    EXPECT_EQ(MixLooped(untouched.data(), 4, tone.data(), 0, 0), 0);
    EXPECT_EQ(untouched, std::vector<int16_t>(4, 7));
}

} // namespace
