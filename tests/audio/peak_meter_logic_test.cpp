#include "audio/peak_meter_logic.h"

#include <gtest/gtest.h>

namespace {

TEST(PeakMeterLogic, BarsLightAtEachTenthOfFullScale) {
    EXPECT_EQ(MeterBars(0), 0);
    EXPECT_EQ(MeterBars(3276), 0);
    EXPECT_EQ(MeterBars(3277), 1);
    EXPECT_EQ(MeterBars(32767), 9);
    EXPECT_EQ(MeterBars(32768), 10);
    // A level out of range never lights more than the meter has.
    EXPECT_EQ(MeterBars(-1), 0);
    EXPECT_EQ(MeterBars(70000), 10);
}

TEST(PeakMeterLogic, SegmentsStackUpFromTheBottomGreenThenRed) {
    // 48 pixels: a pitch of 4, each bar 3 high.
    const MeterSegment lowest = MeterSegmentAt(0, 48);
    EXPECT_EQ(lowest.y, 40);
    EXPECT_EQ(lowest.height, 3);
    EXPECT_EQ(MeterSegmentAt(9, 48).y, 4);

    const int greens[] = {155, 169, 183, 197, 212, 226, 240};
    for (int k = 0; k < 7; ++k) {
        const MeterColour colour = MeterSegmentAt(k, 48).colour;
        EXPECT_EQ(colour.red, 0) << k;
        EXPECT_EQ(colour.green, greens[k]) << k;
        EXPECT_EQ(colour.blue, 0) << k;
    }
    for (int k = 7; k < 10; ++k) {
        const MeterColour colour = MeterSegmentAt(k, 48).colour;
        EXPECT_EQ(colour.red, 255) << k;
        EXPECT_EQ(colour.green, 0) << k;
    }
}

TEST(PeakMeterLogic, AlcLowersByATwentiethOfTheRemainingTravel) {
    EXPECT_FALSE(AlcApplies(MeterBars(29491)));
    EXPECT_TRUE(AlcApplies(MeterBars(29492)));

    ASSERT_TRUE(AlcApplies(MeterBars(30000)));
    const int first = AlcPosition(0, 100);
    EXPECT_EQ(first, 5);
    EXPECT_EQ(AlcPosition(first, 100), 9);
    EXPECT_EQ(AlcPosition(100, 100), 100);
}

} // namespace
