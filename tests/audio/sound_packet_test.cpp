#include "audio/codec.h"
#include "audio/sound_packet.h"
#include "protocol/debug_log.h"
#include "tests/audio/test_signals.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <sstream>
#include <string>
#include <vector>

namespace {

// Encoded frames of a real tone, to build payloads from.
std::vector<uint8_t> EncodedTone(int frames) {
    const std::vector<int16_t> tone = SineAt8k(700, 6000, frames * kFrameSamples);
    CSoundPacket packet(tone.data(), int(tone.size()));
    packet.EncodeAmr();
    return packet.encoded;
}

// Decodes exactly `payload` (held in a buffer of its own size, so a read past
// it is caught) and returns the packet.
CSoundPacket Decoded(const std::vector<uint8_t>& payload) {
    CSoundPacket packet(int(payload.size()), payload.data());
    packet.DecodeAmr();
    EXPECT_EQ(packet.samples.size(), size_t(packet.sampleCount));
    return packet;
}

// Runs `action` with the debug log in a scratch state directory and expects
// `line` in the log. The process picks its log file once, so a later call
// finds the directory of the first one (recreated here) and both go.
void ExpectLogged(const std::function<void()>& action, const std::string& line) {
    namespace fs = std::filesystem;
    char scratch[] = "/tmp/tavro_log_XXXXXX";
    ASSERT_NE(mkdtemp(scratch), nullptr);
    const char* previous = std::getenv("XDG_STATE_HOME");
    const std::string saved = previous ? previous : "";
    setenv("XDG_STATE_HOME", scratch, 1);
    const fs::path log = DebugLogPath();
    fs::create_directories(log.parent_path());
    action();
    std::ifstream file(log);
    std::stringstream text;
    text << file.rdbuf();
    EXPECT_NE(text.str().find(line), std::string::npos) << text.str();
    if (previous)
        setenv("XDG_STATE_HOME", saved.c_str(), 1);
    else
        unsetenv("XDG_STATE_HOME");
    fs::remove_all(scratch);
    if (log.string().starts_with("/tmp/tavro_log_"))
        fs::remove_all(log.parent_path().parent_path());
    else
        fs::remove(log);
}

TEST(SoundPacket, ConstructorsSizeTheBuffers) {
    CSoundPacket plain;
    EXPECT_EQ(plain.sampleCount, 1600);
    EXPECT_EQ(plain.samples.size(), 1600u);
    EXPECT_EQ(plain.encodedSize, 330);
    EXPECT_EQ(plain.encoded.size(), 330u);
    EXPECT_FALSE(plain.silent);
    EXPECT_FALSE(plain.mixIn);

    CSoundPacket zeros(nullptr, 2205);
    EXPECT_EQ(zeros.sampleCount, 2205);
    EXPECT_EQ(zeros.samples, std::vector<int16_t>(2205, 0));

    const uint8_t bytes[3] = {1, 2, 3};
    CSoundPacket fromBytes(3, bytes);
    EXPECT_EQ(fromBytes.encodedSize, 3);
    EXPECT_EQ(fromBytes.encoded, std::vector<uint8_t>(bytes, bytes + 3));
    EXPECT_EQ(fromBytes.sampleCount, 1600);

    fromBytes.SetEncodedSize(2);
    EXPECT_EQ(fromBytes.encoded, std::vector<uint8_t>(bytes, bytes + 2));
    fromBytes.SetSampleCount(10);
    EXPECT_EQ(fromBytes.samples.size(), 10u);
}

TEST(SoundPacket, SilentPacketIsNeitherEncodedNorDecoded) {
    const std::vector<int16_t> tone = SineAt8k(1000, 8000, kPacketSamples);
    CSoundPacket packet(tone.data(), kPacketSamples);
    packet.silent = true;
    packet.encoded[0] = 0x55;
    packet.EncodeAmr();
    EXPECT_EQ(packet.encodedSize, 330);
    EXPECT_EQ(packet.encoded.size(), 330u);
    EXPECT_EQ(packet.encoded[0], 0x55);

    packet.peak = 99;
    packet.DecodeAmr();
    EXPECT_EQ(packet.peak, 0);
    EXPECT_EQ(packet.samples, tone);
}

TEST(SoundPacket, DecodingStopsSafelyAtMalformedPayloads) {
    const std::vector<uint8_t> ten = EncodedTone(10);

    // Whole frames only.
    EXPECT_EQ(Decoded(ten).sampleCount, 1600);

    // A last frame cut short is dropped, whatever its length.
    for (int cut : {1, 2, 31}) {
        std::vector<uint8_t> payload(ten.begin(), ten.end() - cut);
        EXPECT_EQ(Decoded(payload).sampleCount, 9 * kFrameSamples) << cut;
    }

    // A frame type of 9 to 14 ends the payload there.
    for (int type = 9; type <= 14; ++type) {
        std::vector<uint8_t> payload = ten;
        payload[3 * kAmrFrameBytes] = uint8_t(type * 8 + 4);
        EXPECT_EQ(Decoded(payload).sampleCount, 3 * kFrameSamples) << type;
    }

    // A no-data frame is one byte and still gives a frame of samples; a
    // comfort-noise frame is six bytes.
    std::vector<uint8_t> mixed = {0x7C};
    mixed.insert(mixed.end(), ten.begin(), ten.begin() + kAmrFrameBytes);
    mixed.insert(mixed.end(), {0x44, 0, 0, 0, 0, 0});
    EXPECT_EQ(Decoded(mixed).sampleCount, 3 * kFrameSamples);

    // At most 500 frames are decoded from a longer payload.
    std::vector<uint8_t> huge;
    for (int k = 0; k < 60; ++k)
        huge.insert(huge.end(), ten.begin(), ten.end());
    const CSoundPacket cut = Decoded(huge);
    EXPECT_EQ(cut.sampleCount, kMaxDecodedFrames * kFrameSamples);
    EXPECT_EQ(cut.sampleCount, 80000);

    EXPECT_EQ(Decoded({}).sampleCount, 0);
    EXPECT_EQ(Decoded({0x3C}).sampleCount, 0);
}

TEST(SoundPacket, PeakIsTheLargestPositiveSampleAndThresholdDecidesSilence) {
    std::vector<int16_t> negative(kPacketSamples, -20000);
    for (bool initially : {false, true}) {
        CSoundPacket packet(negative.data(), kPacketSamples);
        packet.silent = initially;
        packet.MeasurePeak(0);
        EXPECT_EQ(packet.peak, 0);
        EXPECT_EQ(packet.silent, initially);
        packet.MeasurePeak(1280);
        EXPECT_TRUE(packet.silent);
    }

    std::vector<int16_t> quiet(kPacketSamples, -5);
    quiet[700] = 1280;
    CSoundPacket atThreshold(quiet.data(), kPacketSamples);
    atThreshold.MeasurePeak(1280);
    EXPECT_EQ(atThreshold.peak, 1280);
    EXPECT_TRUE(atThreshold.silent);

    quiet[1599] = 1281;
    CSoundPacket above(quiet.data(), kPacketSamples);
    above.silent = true;
    above.MeasurePeak(1280);
    EXPECT_EQ(above.peak, 1281);
    EXPECT_FALSE(above.silent);
}

TEST(SoundPacket, ZeroIfSilentAndTakenSamples) {
    const std::vector<int16_t> tone = SineAt8k(500, 3000, kPacketSamples);
    CSoundPacket loud(tone.data(), kPacketSamples);
    loud.ZeroIfSilent();
    EXPECT_EQ(loud.samples, tone);
    loud.silent = true;
    loud.ZeroIfSilent();
    EXPECT_EQ(loud.samples, std::vector<int16_t>(kPacketSamples, 0));

    CSoundPacket played(tone.data(), kPacketSamples);
    const std::vector<int16_t> taken = played.TakeSamples();
    EXPECT_EQ(taken, tone);
    EXPECT_FALSE(played.HasSamples());
    EXPECT_EQ(played.sampleCount, 0);
    EXPECT_TRUE(played.samples.empty());

    // Without samples the peak is left alone and zeroing is logged instead.
    played.peak = 42;
    played.MeasurePeak(0);
    EXPECT_EQ(played.peak, 42);
    played.silent = true;
    ExpectLogged([&] { played.ZeroIfSilent(); }, "ERRROROR !!! Writing to NULL 1600\n");

    // A new sample count gives the packet a buffer again.
    played.SetSampleCount(kPacketSamples);
    EXPECT_TRUE(played.HasSamples());
    EXPECT_EQ(played.samples.size(), size_t(kPacketSamples));
}

TEST(SoundPacket, ConvertTo8kPicksAndInterpolatesInputPositions) {
    std::vector<int16_t> in(2205);
    for (int i = 0; i < 2205; ++i)
        in[i] = int16_t(i * 7 - 5000);
    in[0] = 1234;
    in[220] = 3; // output 160 lies at 220.5: (3 + 6) / 2 = 4.5 rounds to 5
    in[221] = 6;
    in[441] = -777; // output 320 lies exactly on 441
    CSoundPacket packet(in.data(), 2205);
    packet.ConvertTo8k(11025);
    ASSERT_EQ(packet.sampleCount, 1600);
    ASSERT_EQ(packet.samples.size(), 1600u);
    EXPECT_EQ(packet.samples[0], 1234);
    EXPECT_EQ(packet.samples[160], 5);
    EXPECT_EQ(packet.samples[320], -777);

    // Negative halves round away from zero too.
    in[220] = -3;
    in[221] = -6;
    CSoundPacket negative(in.data(), 2205);
    negative.ConvertTo8k(11025);
    EXPECT_EQ(negative.samples[160], -5);

    // 22050 Hz: output 1 lies at 2.75625 between inputs 2 and 3.
    std::vector<int16_t> fast(4410, 0);
    fast[2] = 1000;
    fast[3] = 2000;
    fast[4409] = 9;
    CSoundPacket high(fast.data(), 4410);
    high.ConvertTo8k(22050);
    ASSERT_EQ(high.sampleCount, 1600);
    EXPECT_EQ(high.samples[1], 1756);

    // A short buffer is padded with its last sample instead of read past.
    std::vector<int16_t> shortInput(100, 50);
    CSoundPacket truncated(shortInput.data(), 100);
    truncated.ConvertTo8k(22050);
    EXPECT_EQ(truncated.samples, std::vector<int16_t>(1600, 50));

    CSoundPacket same(in.data(), 1600);
    same.ConvertTo8k(8000);
    EXPECT_EQ(same.samples, std::vector<int16_t>(in.begin(), in.begin() + 1600));
}

TEST(SoundPacket, ConvertFrom8kSizesTheOutputAndHoldsTheLastSample) {
    std::vector<int16_t> ramp(kPacketSamples);
    for (int i = 0; i < kPacketSamples; ++i)
        ramp[i] = int16_t(i * 10);
    ramp[kPacketSamples - 1] = -100; // the tail must not extrapolate past it

    for (int rate : {11025, 22050}) {
        CSoundPacket packet(ramp.data(), kPacketSamples);
        packet.ConvertFrom8k(rate);
        const int n = rate * 1600 / 8000;
        ASSERT_EQ(packet.sampleCount, n) << rate;
        ASSERT_EQ(packet.samples.size(), size_t(n)) << rate;
        EXPECT_EQ(packet.samples[0], 0) << rate;
        EXPECT_EQ(packet.samples[n - 1], -100) << rate;
        // Inside, the ramp is followed: output i lies at i * 8000 / rate.
        const int i = n / 2 + 1;
        EXPECT_NEAR(packet.samples[i], i * 8000.0 / rate * 10, 1) << rate;
    }

    CSoundPacket same(ramp.data(), kPacketSamples);
    same.ConvertFrom8k(8000);
    EXPECT_EQ(same.samples, ramp);
}

} // namespace
