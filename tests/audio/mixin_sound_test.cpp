#include "audio/mixin_sound.h"

#include <gtest/gtest.h>

namespace {

TEST(MixInSound, ToneFollowsTheSineWithLinearFades) {
    CMixInSound plain;
    plain.MakeTone(1000, 10, 10000, 0, 0);
    ASSERT_EQ(plain.samples.size(), 80u);
    EXPECT_EQ(plain.samples[0], 0);
    EXPECT_EQ(plain.samples[2], 10000); // a quarter period: the peak
    EXPECT_EQ(plain.samples[4], 0);
    EXPECT_EQ(plain.samples[6], -9999); // -10000 + 0.5, truncated toward zero
    for (size_t i = 8; i < plain.samples.size(); ++i)
        ASSERT_EQ(plain.samples[i], plain.samples[i - 8]) << i;

    CMixInSound faded; // 40-sample ramps in an 80-sample tone
    faded.MakeTone(1000, 10, 10000, 5, 5);
    EXPECT_EQ(faded.samples[2], 500);   // 2 * 10000 / 40
    EXPECT_EQ(faded.samples[34], 8500); // 34 * 10000 / 40
    EXPECT_EQ(faded.samples[40], plain.samples[40]);
    EXPECT_EQ(faded.samples[42], 9500); // (80 - 42) * 10000 / 40
    EXPECT_EQ(faded.samples[78], -499); // (80 - 78) * -10000 / 40, then + 0.5

    CMixInSound odd;
    odd.MakeTone(1000, 10, 40000, 0, 0);
    EXPECT_EQ(odd.samples[2], 32767);
    EXPECT_EQ(odd.samples[6], -32768);
    odd.MakeTone(0, 10, 10000, 0, 0);
    EXPECT_EQ(odd.samples, std::vector<int16_t>(80, 0));
    odd.MakeTone(1000, -5, 10000, 0, 0);
    EXPECT_TRUE(odd.samples.empty());
}

TEST(MixInSound, SilenceReplacesAndAppendCopies) {
    CMixInSound sound, tone;
    tone.MakeTone(1000, 1, 10000, 0, 0);
    sound.MakeTone(1000, 10, 10000, 0, 0);
    sound.MakeSilence(375);
    EXPECT_EQ(sound.samples, std::vector<int16_t>(3000, 0));

    sound.MakeSilence(1);
    sound.Append(tone);
    sound.Append(tone);
    std::vector<int16_t> expected(8, 0);
    expected.insert(expected.end(), tone.samples.begin(), tone.samples.end());
    expected.insert(expected.end(), tone.samples.begin(), tone.samples.end());
    EXPECT_EQ(sound.samples, expected);
    EXPECT_EQ(sound.position, 0);
}

} // namespace
