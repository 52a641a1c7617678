#include "audio/codec.h"
#include "audio/sound_packet.h"
#include "tests/audio/test_signals.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

TEST(Codec, PacketOf1600SamplesEncodesToTenFramesOfMode7AndKeepsItsSamples) {
    const std::vector<int16_t> tone = SineAt8k(1000, 8000, kPacketSamples);
    CSoundPacket packet(tone.data(), int(tone.size()));
    packet.EncodeAmr();

    ASSERT_EQ(packet.encodedSize, 320);
    ASSERT_EQ(packet.encoded.size(), 320u);
    for (int k = 0; k < 10; ++k)
        EXPECT_EQ(packet.encoded[k * kAmrFrameBytes], 0x3C) << "frame " << k;
    EXPECT_EQ(packet.samples, tone);
    EXPECT_EQ(packet.sampleCount, kPacketSamples);

    // The codec's own entry point leaves its input alone too.
    CCodec codec;
    std::vector<int16_t> frame(tone.begin(), tone.begin() + kFrameSamples);
    uint8_t out[kAmrFrameBytes];
    int size = 0;
    EXPECT_TRUE(codec.EncodeAmr(out, frame.data(), size));
    EXPECT_EQ(size, kAmrFrameBytes);
    EXPECT_EQ(out[0], 0x3C);
    EXPECT_TRUE(std::equal(frame.begin(), frame.end(), tone.begin()));
}

TEST(Codec, PartialFramesAreDroppedAndEmptyPayloadsDecodeToNothing) {
    const std::vector<int16_t> tone = SineAt8k(440, 5000, 170);
    CSoundPacket oneAndABit(tone.data(), 170);
    oneAndABit.EncodeAmr();
    EXPECT_EQ(oneAndABit.encodedSize, kAmrFrameBytes);

    CSoundPacket tooShort(tone.data(), 159);
    tooShort.EncodeAmr();
    EXPECT_EQ(tooShort.encodedSize, 0);
    EXPECT_TRUE(tooShort.encoded.empty());

    tooShort.DecodeAmr();
    EXPECT_EQ(tooShort.sampleCount, 0);
    EXPECT_TRUE(tooShort.samples.empty());
}

TEST(Codec, AmrRoundTripKeepsTheFrequencyAndMostOfTheEnergyOfATone) {
    // Several packets of one continuous 1 kHz tone; the encoder and decoder
    // keep their history across packets, as they do in a running link.
    constexpr int kPackets = 5;
    const double inputRms = 8000 / std::sqrt(2.0);
    for (int n = 0; n < kPackets; ++n) {
        const std::vector<int16_t> tone = SineAt8k(1000, 8000, kPacketSamples, n * kPacketSamples);
        CSoundPacket sent(tone.data(), kPacketSamples);
        sent.EncodeAmr();
        CSoundPacket received(sent.encodedSize, sent.encoded.data());
        received.DecodeAmr();
        ASSERT_EQ(received.sampleCount, kPacketSamples);
        ASSERT_EQ(received.samples.size(), size_t(kPacketSamples));
        EXPECT_EQ(received.peak, 0);
        if (n == 0)
            continue; // the codec's start-up and delay
        // 1 kHz over 200 ms crosses zero 400 times.
        EXPECT_NEAR(ZeroCrossings(received.samples.data(), kPacketSamples), 400, 4) << n;
        const double ratio = Rms(received.samples.data(), kPacketSamples) / inputRms;
        EXPECT_GT(ratio, 0.7) << n;
        EXPECT_LT(ratio, 1.3) << n;
    }
}

TEST(Codec, GsmRoundTripRestoresTheSampleScale) {
    CCodec codec;
    constexpr int kFrames = 10;
    const std::vector<int16_t> tone = SineAt8k(1000, 12000, kFrames * kFrameSamples);
    std::vector<int16_t> decoded(tone.size());
    for (int k = 0; k < kFrames; ++k) {
        uint8_t frame[kGsmFrameBytes];
        codec.EncodeGsm(frame, tone.data() + k * kFrameSamples);
        EXPECT_TRUE(codec.DecodeGsm(frame, decoded.data() + k * kFrameSamples));
    }
    // After the first frames the level matches the input: the division by 8
    // before encoding is undone by the multiplication after decoding.
    const int skip = 2 * kFrameSamples;
    const int count = int(tone.size()) - skip;
    const double ratio = Rms(decoded.data() + skip, count) / Rms(tone.data() + skip, count);
    EXPECT_GT(ratio, 0.7);
    EXPECT_LT(ratio, 1.3);
    EXPECT_NEAR(ZeroCrossings(decoded.data() + skip, count), 2 * count / 8, 4);

    // A frame without libgsm's signature decodes to silence.
    uint8_t garbage[kGsmFrameBytes] = {};
    std::vector<int16_t> out(kFrameSamples, 123);
    EXPECT_FALSE(codec.DecodeGsm(garbage, out.data()));
    EXPECT_EQ(out, std::vector<int16_t>(kFrameSamples, 0));
}

TEST(Codec, FrameSizesComeFromTheHeaderByte) {
    EXPECT_EQ(AmrFrameSize(0x3C), 32); // type 7, quality bit
    EXPECT_EQ(AmrFrameSize(0x38), 32); // quality bit does not matter
    EXPECT_EQ(AmrFrameSize(0x04), 13); // type 0
    EXPECT_EQ(AmrFrameSize(0x44), 6);  // type 8, comfort noise
    EXPECT_EQ(AmrFrameSize(0x7C), 1);  // type 15, no data
    for (int type = 9; type <= 14; ++type)
        EXPECT_EQ(AmrFrameSize(uint8_t(type * 8 + 4)), 0) << type;

    CCodec codec;
    std::vector<int16_t> out(kFrameSamples, 77);
    const uint8_t truncated[10] = {0x3C};
    int size = -1;
    EXPECT_FALSE(codec.DecodeAmr(truncated, sizeof truncated, out.data(), size));
    EXPECT_EQ(size, 32);
    const uint8_t reserved[32] = {0x5C};
    EXPECT_FALSE(codec.DecodeAmr(reserved, sizeof reserved, out.data(), size));
    EXPECT_EQ(size, 0);
    EXPECT_FALSE(codec.DecodeAmr(reserved, 0, out.data(), size));
    EXPECT_EQ(out, std::vector<int16_t>(kFrameSamples, 77));
}

} // namespace
