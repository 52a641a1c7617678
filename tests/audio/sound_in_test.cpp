#include "tests/audio/sound_engine_harness.h"
#include "tests/audio/test_signals.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace {

using Samples = std::vector<int16_t>;

// A buffer whose largest positive sample is peak.
Samples Level(int peak, int count = 1600) {
    Samples s(count);
    for (int i = 0; i < count; ++i)
        s[i] = int16_t(i % 2 ? peak : -peak);
    return s;
}

// A capture engine running on an 8000 Hz device, VOX opening at 1000 and
// holding at 2000, with this station holding the floor.
struct Capture : SoundStation {
    Capture() {
        in.voxLevel = 1000;
        in.silenceLevel = 2000;
        host.talker = host.ownCall;
        in.Start();
    }
    // The packet that the last recording put on the transmit queue, if any.
    std::unique_ptr<CSoundPacket> Sent(const Samples& samples) {
        Record(samples);
        return in.transmitQueue.Get();
    }
};

bool IsSound(const std::unique_ptr<CSoundPacket>& p) {
    return p && !p->silent && p->encodedSize == 320;
}
bool IsSilence(const std::unique_ptr<CSoundPacket>& p) {
    return p && p->silent && p->encodedSize == kPacketEncodedBytes &&
           p->samples == Samples(1600, 0);
}

TEST(SoundIn, OpensTheFirstRateAndAlwaysSends1600Samples) {
    Capture c;
    EXPECT_EQ(c.waveIn.OpenAttempts(), std::vector<int>{8000});
    EXPECT_EQ(c.in.bufferSamples, 1600);
    EXPECT_EQ(c.waveIn.Pending(), 2u);
    EXPECT_FALSE(c.in.stopped);
    const Samples loud = Level(5000);
    auto p = c.Sent(loud);
    ASSERT_TRUE(IsSound(p));
    EXPECT_EQ(p->samples, loud); // no resampling at 8000 Hz
    EXPECT_EQ(c.in.lastPeak, 5000);
    EXPECT_EQ(c.waveIn.Pending(), 2u);

    SoundStation s;
    s.host.talker = s.host.ownCall;
    s.waveIn.FailOpen(WaveError::BadFormat, 8000);
    s.waveIn.FailOpen(WaveError::BadFormat, 11025);
    s.in.deviceId.name = "plughw:1";
    s.in.Start();
    EXPECT_EQ(s.waveIn.OpenAttempts(), (std::vector<int>{8000, 11025, 22050}));
    EXPECT_EQ(s.waveIn.Device().name, "plughw:1");
    EXPECT_EQ(s.in.rate, 22050);
    EXPECT_EQ(s.in.bufferSamples, 4410);
    s.Record(SineAt8k(300 * 8000.0 / 22050, 8000, 4410));
    auto q = s.in.transmitQueue.Get();
    ASSERT_TRUE(q);
    EXPECT_EQ(q->sampleCount, 1600);
    EXPECT_EQ(q->encodedSize, 320);
    EXPECT_TRUE(s.host.errors.empty());
}

TEST(SoundIn, StartFailuresAreShownAndLeaveTheEngineStopped) {
    SoundStation s;
    s.waveIn.FailOpen(WaveError::NoDevice);
    s.in.Start();
    ASSERT_EQ(s.host.errors.size(), 1u);
    EXPECT_EQ(s.host.errors[0].rfind("No Sound Device\nscripted open failure", 0), 0u);
    EXPECT_EQ(s.waveIn.OpenAttempts().size(), 1u);

    s.host.errors.clear();
    s.waveIn.FailOpen(WaveError::BadFormat);
    s.in.Start();
    ASSERT_EQ(s.host.errors.size(), 1u);
    EXPECT_EQ(s.host.errors[0].rfind(kNoCaptureRate, 0), 0u);
    s.host.testMode = true;
    s.in.Start();
    EXPECT_EQ(s.host.errors.size(), 1u);
    EXPECT_TRUE(s.in.stopped);

    // A device that opens but does not start is given back, so that a later
    // Start can open it.
    s.waveIn.ClearOpenFailures();
    s.waveIn.FailStart(true);
    s.in.Start();
    EXPECT_EQ(s.host.errors.back(), "Cannot Start Wave In !");
    EXPECT_TRUE(s.in.stopped);
    s.Pump();
    EXPECT_FALSE(s.waveIn.IsOpen());
    EXPECT_EQ(s.in.buffersQueued, 0);
    s.waveIn.FailStart(false);
    s.in.Start();
    EXPECT_FALSE(s.in.stopped);
    EXPECT_TRUE(s.waveIn.IsStarted());

    // Refused buffers are not counted, and a stop then closes at once.
    SoundStation r;
    r.waveIn.FailAdd(true);
    r.in.Start();
    EXPECT_EQ(r.host.errors,
              (std::vector<std::string>{"Cannot Add Buffer !", "Cannot Add Buffer !"}));
    EXPECT_EQ(r.in.buffersQueued, 0);
    r.in.RequestStop();
    r.Pump();
    EXPECT_TRUE(r.in.stopped);
    EXPECT_FALSE(r.waveIn.IsOpen());
}

TEST(SoundIn, VoxOpensAboveVoxLevelAndHoldsAboveSilenceLevel) {
    Capture c;
    EXPECT_EQ(c.in.threshold, 1000);
    EXPECT_TRUE(IsSilence(c.Sent(Level(1000)))); // equal to the threshold: silent
    EXPECT_EQ(c.in.lastPeak, 1000);
    EXPECT_TRUE(IsSound(c.Sent(Level(1001))));
    EXPECT_EQ(c.in.threshold, 2000);
    for (int i = 1; i <= 10; ++i)
        EXPECT_TRUE(IsSilence(c.Sent(Level(1500)))) << i;
    EXPECT_EQ(c.in.threshold, 2000); // ten silent packets hold the channel open
    EXPECT_TRUE(IsSilence(c.Sent(Level(1500))));
    EXPECT_EQ(c.in.threshold, 1000); // the eleventh closes it
    EXPECT_TRUE(IsSound(c.Sent(Level(1500))));
    EXPECT_EQ(c.in.silentRun, 0);
}

TEST(SoundIn, TheFloorDecidesWhatReachesTheRoom) {
    Capture c;
    c.host.talker.clear();
    EXPECT_FALSE(c.Sent(Level(500))); // nobody talks: silence is not sent
    EXPECT_TRUE(IsSound(c.Sent(Level(5000))));
    c.host.talker = "g0abc"; // another station, whatever the case
    EXPECT_FALSE(c.Sent(Level(5000)));
    c.host.talker = c.host.ownCall;
    EXPECT_TRUE(IsSilence(c.Sent(Level(500))));
    c.host.connected = false;
    EXPECT_FALSE(c.Sent(Level(5000)));

    EXPECT_TRUE(MayTalkOnFloor("", "G0ABC", false));
    EXPECT_FALSE(MayTalkOnFloor("", "G0ABC", true));
    EXPECT_TRUE(MayTalkOnFloor("G0ABC", "G0ABC", true));
    EXPECT_FALSE(MayTalkOnFloor("G0ABCD", "G0ABC", false));
}

enum class Outcome { Dropped, Sound, Vox };

struct DecisionRow {
    RigSquelchLine squelchLine;
    bool voxEnabled, pttActive, settling;
    Outcome outcome;
    bool meterZeroed;
};

TEST(SoundIn, DecisionTable) {
    const DecisionRow rows[] = {
        {RigSquelchLine::Cts, true, false, false, Outcome::Dropped, true},
        {RigSquelchLine::Dsr, true, true, false, Outcome::Dropped, true},
        {RigSquelchLine::Cts, false, true, false, Outcome::Sound, false},
        {RigSquelchLine::Dsr, false, false, false, Outcome::Dropped, false},
        {RigSquelchLine::None, true, true, false, Outcome::Sound, false},
        {RigSquelchLine::None, false, true, false, Outcome::Sound, false},
        {RigSquelchLine::None, false, false, false, Outcome::Dropped, false},
        {RigSquelchLine::None, true, false, false, Outcome::Vox, false},
        {RigSquelchLine::None, true, true, true, Outcome::Dropped, true},
        {RigSquelchLine::None, true, false, true, Outcome::Dropped, true},
        {RigSquelchLine::Cts, false, true, true, Outcome::Dropped, true},
        {RigSquelchLine::None, false, true, true, Outcome::Dropped, true},
    };
    for (const DecisionRow& row : rows) {
        SCOPED_TRACE(testing::Message()
                     << "squelch " << int(row.squelchLine) << " vox " << row.voxEnabled << " ptt "
                     << row.pttActive << " settling " << row.settling);
        Capture c;
        CElapsedTimer lastAudio(c.clock);
        c.host.squelchLine = row.squelchLine;
        c.in.voxEnabled = row.voxEnabled;
        c.in.pttActive = row.pttActive;
        c.in.settleTimer = &lastAudio;
        c.in.settleMs = 500;
        if (!row.settling)
            c.clock.Advance(500); // settled exactly now
        auto loud = c.Sent(Level(5000));
        EXPECT_EQ(c.in.lastPeak, row.meterZeroed ? 0 : 5000);
        auto quiet = c.Sent(Level(500));
        switch (row.outcome) {
        case Outcome::Dropped:
            EXPECT_FALSE(loud);
            EXPECT_FALSE(quiet);
            break;
        case Outcome::Sound:
            EXPECT_TRUE(IsSound(loud));
            EXPECT_TRUE(IsSound(quiet));
            break;
        case Outcome::Vox:
            EXPECT_TRUE(IsSound(loud));
            EXPECT_TRUE(IsSilence(quiet));
            break;
        }
    }
}

TEST(SoundIn, DtmfTonesStayOffTheAirUnlessPushToTalkIsOn) {
    Capture c;
    c.in.dtmfGain.fill(3000);
    // Key 5: 770 Hz and 1336 Hz, loud enough for the VOX.
    Samples key = SineAt8k(770, 6000, 1600);
    const Samples high = SineAt8k(1336, 6000, 1600);
    for (int i = 0; i < 1600; ++i)
        key[i] = int16_t(key[i] + high[i]);
    EXPECT_TRUE(IsSilence(c.Sent(key)));
    EXPECT_GT(c.in.dtmfLevel[1], 0);
    EXPECT_GT(c.in.dtmfLevel[5], 0);
    EXPECT_EQ(c.in.lastPeak, 0);
    c.in.pttActive = true;
    auto p = c.Sent(key);
    ASSERT_TRUE(IsSound(p));
    EXPECT_EQ(p->samples, key);
}

// The meters read what capture publishes: after a buffer with a 770 Hz tone
// the input level is the buffer's peak, and the DTMF levels are those of the
// last block the decoder finished, with the 770 Hz level standing out.
TEST(SoundIn, PublishesTheInputPeakAndTheDtmfLevelsForTheMeters) {
    Capture c;
    c.in.dtmfGain.fill(1000);
    InitDtmf(); // blocks start with this buffer, whatever came before
    const Samples tone = SineAt8k(770, 9000, 1600);
    ASSERT_TRUE(IsSound(c.Sent(tone)));
    EXPECT_EQ(c.in.LastPeak(), *std::max_element(tone.begin(), tone.end()));

    CDtmfDecoder reference;
    int level[kDtmfTones];
    reference.Process(tone, c.in.dtmfGain.data(), level);
    const std::array<int32_t, kDtmfTones>& published = c.in.DtmfLevels();
    EXPECT_TRUE(std::equal(published.begin(), published.end(), level));
    EXPECT_GT(published[1], 15000);
    for (int k : {0, 2, 3, 4, 5, 6, 7})
        EXPECT_LT(published[size_t(k)], published[1] / 4) << k;

    c.in.RequestStop();
    c.Record(Samples(1600, 0));
    c.Record(Samples(1600, 0));
    EXPECT_TRUE(c.in.stopped);
    EXPECT_EQ(c.in.LastPeak(), 0);
}

TEST(SoundIn, StopWaitsForBothBuffersAndDropsPartlyFilledOnes) {
    Capture c;
    c.Record(Level(5000, 900)); // partly filled: dropped, replaced
    EXPECT_FALSE(c.in.transmitQueue.Get());
    EXPECT_EQ(c.waveIn.Pending(), 2u);
    c.Record(Level(5000)); // waits on the queue for the transmit thread

    c.in.startPlaybackOnClose = true;
    c.in.RequestStop();
    c.Record(Level(5000));
    EXPECT_EQ(c.waveIn.Pending(), 1u); // no fresh buffer once stopping
    EXPECT_TRUE(c.waveIn.IsOpen());
    EXPECT_FALSE(c.in.stopped);
    EXPECT_EQ(c.in.transmitQueue.Size(), 1u); // the full buffer was not sent
    EXPECT_EQ(c.Count("StartPlayback"), 0);
    EXPECT_FALSE(c.waveOut.IsOpen());

    c.Record(Level(5000));
    EXPECT_FALSE(c.waveIn.IsOpen());
    EXPECT_TRUE(c.in.stopped);
    EXPECT_EQ(c.in.transmitQueue.Size(), 0u);
    EXPECT_EQ(c.in.lastPeak, 0);
    // The sound card goes over to playback only now, and the transmitter is keyed.
    EXPECT_FALSE(c.in.startPlaybackOnClose);
    EXPECT_EQ(c.host.calls, (std::vector<std::string>{"StartPlayback", "Key"}));
    EXPECT_FALSE(c.out.stopped);
    EXPECT_TRUE(c.waveOut.IsStarted());
}

TEST(SoundIn, HandOverDoesNotKeyForPushToTalkOnTheCtsSquelch) {
    Capture c;
    c.host.squelchLine = RigSquelchLine::Cts;
    c.in.pttActive = true;
    c.in.startPlaybackOnClose = true;
    c.in.RequestStop();
    c.Record(Level(5000));
    c.Record(Level(5000));
    EXPECT_EQ(c.host.calls, std::vector<std::string>{"StartPlayback"});

    // Without a playback device the transmitter stays unkeyed.
    Capture d;
    d.waveOut.FailOpen(WaveError::NoDevice);
    d.in.startPlaybackOnClose = true;
    d.in.RequestStop();
    d.Record(Level(5000));
    d.Record(Level(5000));
    EXPECT_EQ(d.Count("Key"), 0);
    EXPECT_TRUE(d.out.stopped);
}

} // namespace
