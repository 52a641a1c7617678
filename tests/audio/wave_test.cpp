#include "audio/mixin_sound.h"
#include "tests/audio/wav_bytes.h"

#include <gtest/gtest.h>

namespace {

using Samples = std::vector<int16_t>;

class LoadWaveTest : public ::testing::Test {
protected:
    bool Load(const Bytes& file) {
        WriteBytes(dir_ / "in.wav", file);
        return sound_.LoadWave(dir_ / "in.wav");
    }

    TempDir dir_;
    CMixInSound sound_;
};

TEST_F(LoadWaveTest, KeepsTheFirstChannelOfEachSampleSize) {
    ASSERT_TRUE(Load(PcmWav(2, 8000, 16, Le16Samples({100, -1, -32768, 2, 32767, 3}))));
    EXPECT_EQ(sound_.samples, (Samples{100, -32768, 32767}));
    ASSERT_TRUE(Load(PcmWav(3, 8000, 16, Le16Samples({10, 11, 12, 20, 21, 22}))));
    EXPECT_EQ(sound_.samples, (Samples{10, 20}));
    ASSERT_TRUE(Load(PcmWav(1, 8000, 16, {1, 0, 2, 0, 3}))); // half a frame at the end
    EXPECT_EQ(sound_.samples, (Samples{1, 2}));

    ASSERT_TRUE(Load(PcmWav(1, 8000, 8, {255, 0, 128, 129})));
    EXPECT_EQ(sound_.samples, (Samples{16256, -16384, 0, 128}));
    ASSERT_TRUE(Load(PcmWav(2, 8000, 8, {0, 255, 255, 0})));
    EXPECT_EQ(sound_.samples, (Samples{-16384, 16256}));

    // 24 and 32 bits: the top 16 bits.
    ASSERT_TRUE(Load(PcmWav(1, 8000, 24, {0x12, 0x34, 0x56, 0xFF, 0x00, 0x80})));
    EXPECT_EQ(sound_.samples, (Samples{0x5634, -32768}));
    ASSERT_TRUE(Load(PcmWav(2, 8000, 32, {0xAA, 0xBB, 0xFF, 0x7F, 1, 2, 3, 4})));
    EXPECT_EQ(sound_.samples, (Samples{32767}));
    EXPECT_FALSE(Load(PcmWav(1, 8000, 12, {1, 2, 3, 4})));
}

TEST_F(LoadWaveTest, ResamplesOtherRatesTo8000) {
    ASSERT_TRUE(Load(PcmWav(1, 44100, 16, Bytes(2 * 44100, 0))));
    EXPECT_EQ(sound_.samples.size(), 8001u);
    ASSERT_TRUE(Load(PcmWav(1, 44100, 8, Bytes(661500, 128))));
    EXPECT_EQ(sound_.samples.size(), 120001u);

    // A ramp of 10 per frame at 11025 Hz: output i lies at frame i * 1.378125.
    Samples ramp(2205);
    for (size_t k = 0; k < ramp.size(); ++k)
        ramp[k] = int16_t(10 * k);
    ASSERT_TRUE(Load(PcmWav(1, 11025, 16, Le16Samples(ramp))));
    ASSERT_EQ(sound_.samples.size(), 1601u);
    EXPECT_EQ(sound_.samples[0], 0);
    EXPECT_EQ(sound_.samples[1], 14);       // 13.78 rounded
    EXPECT_EQ(sound_.samples[160], 2205);   // 220.5: halfway, rounded away from zero
    EXPECT_EQ(sound_.samples[1599], 22036); // frame 2203.62
    EXPECT_EQ(sound_.samples[1600], 0);     // frame 2205 is past the end and reads 0
}

TEST_F(LoadWaveTest, RejectsWhatIsNotPcmWave) {
    const Bytes good = PcmWav(1, 8000, 16, {1, 0});
    ASSERT_TRUE(Load(good));
    Bytes notRiff = good, notWave = good;
    notRiff[3] = 'X';
    notWave[8] = 'X';
    EXPECT_FALSE(Load(notRiff));
    EXPECT_TRUE(sound_.samples.empty());
    EXPECT_FALSE(Load(notWave));
    EXPECT_FALSE(Load(Riff({Chunk("fmt ", FmtBody(3, 1, 8000, 32)), Chunk("data", Bytes(4))})));
    EXPECT_FALSE(Load(PcmWav(0, 8000, 16, {1, 0})));
    EXPECT_FALSE(Load(PcmWav(1, 0, 16, {1, 0})));
    EXPECT_FALSE(Load(PcmWav(1, 8000, 16, {})));
    EXPECT_FALSE(Load(PcmWav(1, 44100, 16, {}))); // resampling would make one sample of nothing
    EXPECT_FALSE(Load({}));
    EXPECT_FALSE(sound_.LoadWave(dir_ / "missing.wav"));
    EXPECT_FALSE(sound_.LoadWave(dir_ / ""));
}

TEST_F(LoadWaveTest, WalksChunksWithinTheFile) {
    const Bytes fmt = Chunk("fmt ", FmtBody(1, 1, 8000, 16));
    const Bytes data = Chunk("data", {7, 0, 8, 0});
    // Other chunks are skipped, odd-sized ones with their pad byte; "fmt " may be longer.
    Bytes longFmt = FmtBody(1, 1, 8000, 16);
    longFmt.insert(longFmt.end(), {0, 0});
    ASSERT_TRUE(
        Load(Riff({Chunk("LIST", {1, 2, 3}), Chunk("fmt ", longFmt), Chunk("junk", {9}), data})));
    EXPECT_EQ(sound_.samples, (Samples{7, 8}));

    EXPECT_FALSE(Load(Riff({data})));
    EXPECT_FALSE(Load(Riff({fmt})));
    EXPECT_FALSE(Load(Riff({Chunk("fmt ", {1, 0, 1, 0, 0x40, 0x1F, 0, 0}), data})));
    // Lengths that point past the end of the file.
    EXPECT_FALSE(Load(Riff({Chunk("LIST", {1, 2}, 1000), fmt, data})));
    EXPECT_FALSE(Load(Riff({Chunk("fmt ", FmtBody(1, 1, 8000, 16), 1000)})));
    EXPECT_FALSE(Load(Riff({fmt, Chunk("LIST", {0, 0}, 0xFFFFFFFF), data})));
    // Files cut short anywhere in the headers.
    const Bytes whole = Riff({fmt, data});
    for (size_t size = 0; size < 44; ++size)
        EXPECT_FALSE(Load(Bytes(whole.begin(), whole.begin() + long(size)))) << size;

    // A data chunk cut short (a recording never finished) is read to the end of the file.
    ASSERT_TRUE(Load(Riff({fmt, Chunk("data", {1, 0, 2, 0, 3, 0, 4}, 200)})));
    EXPECT_EQ(sound_.samples, (Samples{1, 2, 3}));
    ASSERT_TRUE(Load(Riff({fmt, Chunk("data", {5, 0}, 0xFFFFFFFF)})));
    EXPECT_EQ(sound_.samples, (Samples{5}));
}

} // namespace
