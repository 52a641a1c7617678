#include "audio/mixer_fader_logic.h"

#include <gtest/gtest.h>

namespace {

TEST(MixerFaderLogic, TwoChannelsKeepTheLouderSidesShare) {
    // A step size of 1: positions read as volumes.
    FaderScale scale{0, 65535, 65535, false};
    FaderReading reading = FaderFromChannels(scale, 2, {40000, 20000}, 0);
    EXPECT_EQ(reading.position, 40000);
    EXPECT_DOUBLE_EQ(reading.balance, -0.5);
    EXPECT_EQ(ChannelsFromFader(scale, 2, 10000, reading.balance), (MixerValues{10000, 5000}));

    reading = FaderFromChannels(scale, 2, {20000, 40000}, 0);
    EXPECT_DOUBLE_EQ(reading.balance, 0.5);
    EXPECT_EQ(ChannelsFromFader(scale, 2, 10000, reading.balance), (MixerValues{5000, 10000}));

    // Both channels at the bottom say nothing about the balance.
    EXPECT_DOUBLE_EQ(FaderFromChannels(scale, 2, {0, 0}, 0.25).balance, 0.25);

    // One channel takes the volume as it is.
    EXPECT_EQ(ChannelsFromFader(scale, 1, 123, -0.5)[0], 123u);

    // Vertical: position 0 is the top, the loudest.
    scale.vertical = true;
    EXPECT_EQ(FaderFromChannels(scale, 2, {40000, 20000}, 0).position, 65535 - 40000);
    EXPECT_EQ(ChannelsFromFader(scale, 2, 65535 - 10000, -0.5), (MixerValues{10000, 5000}));
}

TEST(MixerFaderLogic, FewerStepsThanVolumesReachBothEndsAndReadBack) {
    // A card's volume 10..137 on a slider of 100 positions.
    const FaderScale scale{10, 137, 100, true};
    EXPECT_EQ(ChannelsFromFader(scale, 1, 0, 0)[0], 137u);
    EXPECT_EQ(ChannelsFromFader(scale, 1, 100, 0)[0], 10u);
    EXPECT_EQ(FaderFromChannels(scale, 1, {137, 0}, 0).position, 0);
    EXPECT_EQ(FaderFromChannels(scale, 1, {10, 0}, 0).position, 100);
    for (int position = 0; position <= 100; ++position) {
        const MixerValues written = ChannelsFromFader(scale, 2, position, 0);
        EXPECT_EQ(FaderFromChannels(scale, 2, written, 0).position, position) << position;
    }
}

} // namespace
