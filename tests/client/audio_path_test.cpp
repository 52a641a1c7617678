// The window's two audio paths as it reads them: the meters' levels, and what
// becomes of the sounds that mix-in markers carry.

#include "audio/dtmf_decoder.h"
#include "audio/mixin_sound.h"
#include "audio/sound_packet.h"
#include "client/discarding_audio_path.h"
#include "client/engine_audio_path.h"
#include "radio/rig_keying.h"
#include "tests/audio/test_signals.h"
#include "tests/client/event_loop.h"
#include "tests/support/counted_sound.h"
#include "tests/support/manual_wave.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace {

// Without a sound card the room's audio is dropped, markers with their
// sounds, on the heartbeat and with the path itself; the meters stay at 0.
TEST(AudioPath, TheDiscardingPathDeletesMarkersSoundsAndShowsNoLevels) {
    int deleted = 0;
    {
        CDiscardingAudioPath path;
        path.PlaybackQueue().Add(
            std::make_unique<CSoundPacket>(std::make_unique<CountedSound>(deleted)));
        path.Heartbeat();
        EXPECT_EQ(deleted, 1);
        path.PlaybackQueue().Add(
            std::make_unique<CSoundPacket>(std::make_unique<CountedSound>(deleted)));
        const AudioLevels levels = path.Levels();
        EXPECT_EQ(levels.inputPeak, 0);
        EXPECT_EQ(levels.outputPeak, 0);
        EXPECT_EQ(levels.dtmf, (std::array<int, kDtmfTones>{}));
    }
    EXPECT_EQ(deleted, 2);
}

// The meters follow the sound card: the input peak and the DTMF levels of
// what capture took, then, once playback has the card, the peak of what it
// played, while the input meter falls to 0.
TEST(AudioPath, TheEnginePathPublishesTheMetersLevels) {
    auto waveIn = std::make_unique<CManualWaveIn>();
    auto waveOut = std::make_unique<CManualWaveOut>();
    CManualWaveIn& in = *waveIn;
    CManualWaveOut& out = *waveOut;
    CRigKeying rig{RigKeyingOptions{}};
    AudioPathHooks hooks;
    hooks.isConnected = [] { return false; };
    hooks.mayTalk = [](bool) { return false; };
    hooks.isTestMode = [] { return false; };
    hooks.showError = [](const std::string& text) { ADD_FAILURE() << text; };
    hooks.connectionLost = [] {};
    hooks.captureBufferTaken = [] {};
    CEngineAudioPath path(std::move(waveIn), std::move(waveOut), {0, ""}, {0, ""}, rig,
                          std::move(hooks));
    int gain[kDtmfTones];
    std::fill_n(gain, kDtmfTones, 1000);
    path.Configure(true, 1000, 2000, gain, RigSquelchLine::None);

    path.SwitchToCapture(false);
    InitDtmf(); // blocks start with this buffer, whatever came before
    const std::vector<int16_t> tone = SineAt8k(1336, 9000, kPacketSamples);
    ASSERT_TRUE(in.Fill(tone));
    ASSERT_TRUE(RunUntil([&] { return path.Levels().inputPeak != 0; }));
    AudioLevels levels = path.Levels();
    EXPECT_EQ(levels.inputPeak, *std::max_element(tone.begin(), tone.end()));
    int expected[kDtmfTones];
    CDtmfDecoder().Process(tone, gain, expected);
    EXPECT_TRUE(std::equal(levels.dtmf.begin(), levels.dtmf.end(), expected));
    EXPECT_GT(levels.dtmf[5], 15000);
    EXPECT_EQ(levels.outputPeak, 0);

    path.SwitchToPlayback();
    ASSERT_TRUE(in.Fill(std::vector<int16_t>(kPacketSamples)));
    ASSERT_TRUE(in.Fill(std::vector<int16_t>(kPacketSamples)));
    ASSERT_TRUE(RunUntil([&] { return out.IsStarted(); }));
    auto sound = std::make_unique<CMixInSound>();
    sound->samples.assign(kPacketSamples, 1234);
    path.MixInQueue().Add(std::move(sound));
    ASSERT_TRUE(out.Play());
    ASSERT_TRUE(RunUntil([&] { return path.Levels().outputPeak != 0; }));
    levels = path.Levels();
    EXPECT_EQ(levels.outputPeak, 1234);
    EXPECT_EQ(levels.inputPeak, 0);
}

} // namespace
