#include "audio/sound_message_conversion.h"
#include "tests/audio/test_signals.h"

#include <gtest/gtest.h>

namespace {

TEST(SoundMessageConversion, PacketsBecomeSoundOrSilence) {
    const std::vector<int16_t> tone = SineAt8k(1000, 8000, kPacketSamples);
    CSoundPacket speech(tone.data(), kPacketSamples);
    speech.EncodeAmr();
    std::unique_ptr<CSoundMessage> sound = MakeSoundMessage(speech);
    EXPECT_EQ(sound->command, kCmdSound);
    EXPECT_EQ(sound->length, 320u);
    EXPECT_EQ(sound->payload, speech.encoded);

    // Only the valid bytes travel.
    speech.encodedSize = 64;
    EXPECT_EQ(MakeSoundMessage(speech)->payload,
              std::vector<uint8_t>(speech.encoded.begin(), speech.encoded.begin() + 64));

    // A silent packet is never encoded: it keeps 330 bytes, which size the filler.
    CSoundPacket quiet;
    quiet.silent = true;
    quiet.EncodeAmr();
    std::unique_ptr<CSoundMessage> silence = MakeSoundMessage(quiet);
    EXPECT_EQ(silence->command, kCmdSilence);
    EXPECT_EQ(silence->length, 330u);
}

TEST(SoundMessageConversion, MessagesBecomePacketsThatPlay) {
    const std::vector<int16_t> tone = SineAt8k(1000, 8000, kPacketSamples);
    CSoundPacket speech(tone.data(), kPacketSamples);
    speech.EncodeAmr();
    std::unique_ptr<CSoundPacket> received = MakeSoundPacket(*MakeSoundMessage(speech));
    EXPECT_FALSE(received->silent);
    EXPECT_EQ(received->encodedSize, 320);
    received->DecodeAmr();
    EXPECT_EQ(received->sampleCount, kPacketSamples);

    CSoundMessage silenceMessage;
    std::unique_ptr<CSoundPacket> gap = MakeSoundPacket(silenceMessage);
    EXPECT_TRUE(gap->silent);
    gap->DecodeAmr();
    EXPECT_EQ(gap->samples, std::vector<int16_t>(kPacketSamples, 0));
    gap->MeasurePeak(0);
    EXPECT_EQ(gap->peak, 0);
}

} // namespace
