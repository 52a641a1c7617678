#include "tests/audio/sound_engine_harness.h"
#include "tests/audio/test_signals.h"

#include <gtest/gtest.h>

namespace {

using Samples = std::vector<int16_t>;

std::unique_ptr<CMixInSound> Sound(Samples samples) {
    auto sound = std::make_unique<CMixInSound>();
    sound->samples = std::move(samples);
    return sound;
}

// A packet as the receive loop makes it from a Sound message.
std::unique_ptr<CSoundPacket> Received(const Samples& audio) {
    CSoundPacket source(audio.data(), int(audio.size()));
    source.EncodeAmr();
    return std::make_unique<CSoundPacket>(source.encodedSize, source.encoded.data());
}

// A packet as the receive loop makes it from a Silence message.
std::unique_ptr<CSoundPacket> Silence() {
    auto packet = std::make_unique<CSoundPacket>();
    packet->silent = true;
    return packet;
}

// A playback engine that has started on an 8000 Hz device.
struct Playback : SoundStation {
    Playback() { EXPECT_TRUE(out.Start()); }
    const Samples& LastWritten() const { return waveOut.Written().back(); }
};

TEST(SoundOut, PlaysSilenceWithThreeBuffersAtTheDevice) {
    Playback p;
    EXPECT_FALSE(p.out.stopped);
    EXPECT_TRUE(p.waveOut.IsStarted());
    ASSERT_EQ(p.waveOut.Written().size(), 3u);
    p.clock.Advance(1000);
    for (int i = 1; i <= 5; ++i) {
        p.PlayOne();
        EXPECT_EQ(p.waveOut.Pending(), 3u);
        EXPECT_EQ(p.out.fillerRun, i);
        EXPECT_EQ(p.out.lastPeak, 0);
    }
    for (const Samples& buffer : p.waveOut.Written())
        EXPECT_EQ(buffer, Samples(1600, 0));
    EXPECT_EQ(p.out.lastAudio.Elapsed(), 1000u);
    EXPECT_TRUE(p.host.calls.empty());
}

TEST(SoundOut, PlaysReceivedPacketsAndSilenceInOrder) {
    Playback p;
    p.PlayOne();
    p.out.receiveQueue.Add(Silence());
    p.out.receiveQueue.Add(Received(SineAt8k(440, 8000, 1600)));
    p.clock.Advance(1000);
    p.PlayOne();
    EXPECT_EQ(p.LastWritten(), Samples(1600, 0));
    EXPECT_EQ(p.out.fillerRun, 0);
    EXPECT_EQ(p.out.lastAudio.Elapsed(), 1000u); // silence is not audio
    p.PlayOne();
    EXPECT_EQ(p.LastWritten().size(), 1600u);
    EXPECT_GT(p.out.lastPeak, 4000);
    EXPECT_GT(ZeroCrossings(p.LastWritten().data(), 1600), 150);
    EXPECT_EQ(p.out.lastAudio.Elapsed(), 0u);
    EXPECT_EQ(p.waveOut.Pending(), 3u);

    // An empty payload plays nothing; silence makes up for it next time.
    p.out.receiveQueue.Add(std::make_unique<CSoundPacket>(0, nullptr));
    p.PlayOne();
    EXPECT_EQ(p.waveOut.Pending(), 2u);
    p.PlayOne();
    EXPECT_EQ(p.waveOut.Pending(), 3u);
}

TEST(SoundOut, MixesASoundAcrossBuffersThenReleasesTheTransmitter) {
    Playback p;
    p.out.mixInQueue.Add(Sound(Samples(2000, 100)));
    p.clock.Advance(1000);
    p.PlayOne();
    EXPECT_EQ(p.host.calls, std::vector<std::string>{"Key"});
    EXPECT_EQ(p.LastWritten(), Samples(1600, 100));
    EXPECT_EQ(p.out.lastPeak, 100);
    EXPECT_EQ(p.out.lastAudio.Elapsed(), 0u);
    p.PlayOne();
    Samples tail(1600, 0);
    std::fill_n(tail.begin(), 400, 100);
    EXPECT_EQ(p.LastWritten(), tail);
    EXPECT_EQ(p.host.calls, (std::vector<std::string>{"Key", "UnkeyAfter 600"}));
    EXPECT_FALSE(p.out.currentMixIn);
    EXPECT_EQ(p.out.fillerRun, 0);

    // A marker's sound starts at the buffer after the marker; with the CTS
    // squelch the sound does not key.
    p.host.calls.clear();
    p.host.squelchLine = RigSquelchLine::Cts;
    p.out.receiveQueue.Add(std::make_unique<CSoundPacket>(Sound(Samples(1600, 50))));
    p.PlayOne();
    EXPECT_EQ(p.LastWritten(), Samples(1600, 0));
    EXPECT_EQ(p.out.mixInQueue.Size(), 1u);
    p.PlayOne();
    EXPECT_EQ(p.LastWritten(), Samples(1600, 50));
    EXPECT_EQ(p.host.calls, std::vector<std::string>{"UnkeyAfter 600"});
}

TEST(SoundOut, ClampsSumsToPlusMinus32767AndLoopsTheKeyingTone) {
    Playback p;
    p.host.keyed = true;
    p.host.keyingMethod = RigKeyingMethod::Tone;
    p.host.tone.samples = {10000, -10000, 0};
    p.out.mixInQueue.Add(Sound({30000, -30000, 5}));
    p.PlayOne();
    const Samples& s = p.LastWritten();
    EXPECT_EQ((Samples(s.begin(), s.begin() + 7)),
              (Samples{32767, -32767, 5, 10000, -10000, 0, 10000}));
    EXPECT_EQ(p.host.tone.position, 1600 % 3);
    // The tone alone keeps the keyed channel from counting as silent audio.
    p.PlayOne();
    EXPECT_EQ(p.LastWritten()[0], -10000);
    EXPECT_EQ(p.out.lastPeak, 10000);
    EXPECT_EQ(p.out.lastAudio.Elapsed(), 0u);
}

TEST(SoundOut, KeyedSilenceEndsTheConnectionFromThe129thBuffer) {
    Playback p;
    for (int i = 0; i < 130; ++i)
        p.PlayOne();
    EXPECT_EQ(p.Count("ConnectionLost"), 0); // not keyed

    Playback k;
    k.host.keyed = true;
    for (int i = 0; i < 128; ++i)
        k.PlayOne();
    EXPECT_EQ(k.Count("ConnectionLost"), 0);
    k.PlayOne();
    EXPECT_EQ(k.Count("ConnectionLost"), 1);
    k.PlayOne();
    EXPECT_EQ(k.Count("ConnectionLost"), 2);
    k.out.receiveQueue.Add(Silence()); // anything received starts the count again
    k.PlayOne();
    k.PlayOne();
    EXPECT_EQ(k.Count("ConnectionLost"), 2);
}

TEST(SoundOut, StopWhenDrainedPlaysWhatIsQueuedThenStartsCapture) {
    Playback p;
    p.out.receiveQueue.Add(Received(SineAt8k(440, 8000, 1600)));
    p.out.receiveQueue.Add(Received(SineAt8k(440, 8000, 1600)));
    p.out.stopWhenDrained = true;
    p.PlayOne();
    p.PlayOne();
    EXPECT_EQ(p.waveOut.Written().size(), 5u);
    p.PlayOne(); // the first silence: nothing more is written
    p.PlayOne();
    EXPECT_EQ(p.waveOut.Written().size(), 5u);
    EXPECT_TRUE(p.waveOut.IsOpen());
    EXPECT_FALSE(p.waveIn.IsOpen());
    p.PlayOne(); // the last buffer back: the device closes
    EXPECT_FALSE(p.waveOut.IsOpen());
    EXPECT_TRUE(p.out.stopped);
    EXPECT_FALSE(p.out.stopWhenDrained);
    EXPECT_EQ(p.host.calls, (std::vector<std::string>{"StartCapture", "Unkey"}));
    EXPECT_TRUE(p.waveIn.IsStarted());
    EXPECT_FALSE(p.in.stopped);
}

TEST(SoundOut, CloseHandsBackToCaptureOnlyWhenTheDeviceHasClosed) {
    Playback p;
    p.out.restartCaptureOnClose = true;
    p.out.Close();
    // Still playing out its buffers: the switches must not start it again.
    EXPECT_FALSE(p.out.stopped);
    EXPECT_TRUE(p.out.stopRequested);
    p.PlayOne();
    p.PlayOne();
    EXPECT_TRUE(p.waveOut.IsOpen());
    EXPECT_FALSE(p.waveIn.IsOpen());
    EXPECT_TRUE(p.host.calls.empty());
    p.PlayOne();
    EXPECT_TRUE(p.out.stopped);
    EXPECT_FALSE(p.waveOut.IsOpen());
    EXPECT_EQ(p.host.calls, (std::vector<std::string>{"StartCapture", "Unkey"}));
    EXPECT_FALSE(p.in.stopped);
    EXPECT_EQ(p.waveOut.Written().size(), 3u);

    // Room audio during the drain: the switch withdraws the stop and the
    // device is fed again.
    Playback w;
    w.out.Close();
    w.PlayOne();
    w.PlayOne();
    w.out.stopRequested = false;
    w.out.receiveQueue.Add(Silence());
    w.PlayOne();
    EXPECT_EQ(w.waveOut.Pending(), 3u);
    EXPECT_EQ(w.waveOut.Written().size(), 6u); // two of silence, then the packet
    EXPECT_FALSE(w.out.stopped);
}

TEST(SoundOut, ResamplesToTheDeviceRateAfterMixing) {
    SoundStation s;
    s.waveOut.FailOpen(WaveError::BadFormat, 8000);
    s.waveOut.FailOpen(WaveError::BadFormat, 11025);
    ASSERT_TRUE(s.out.Start());
    EXPECT_EQ(s.out.rate, 22050);
    EXPECT_EQ(s.out.bufferSamples, 4410);
    EXPECT_EQ(s.waveOut.Written().front(), Samples(4410, 0));

    const Samples tone = SineAt8k(1000, 8000, 1600);
    s.out.mixInQueue.Add(Sound(tone));
    s.PlayOne();
    CSoundPacket expected(tone.data(), 1600);
    expected.ConvertFrom8k(22050);
    EXPECT_EQ(s.waveOut.Written().back(), expected.samples);
    EXPECT_EQ(s.host.calls, (std::vector<std::string>{"Key", "UnkeyAfter 600"}));

    // A longer packet plays for as long as it lasts.
    s.out.receiveQueue.Add(Received(SineAt8k(440, 8000, 3200)));
    s.PlayOne();
    EXPECT_EQ(s.waveOut.Written().back().size(), 8820u);
    s.PlayOne();
    EXPECT_EQ(s.waveOut.Written().back(), Samples(4410, 0));
}

TEST(SoundOut, FailuresEndPlaybackAndDropWhatIsQueued) {
    SoundStation s;
    s.waveOut.FailOpen(WaveError::NoDevice);
    s.out.receiveQueue.Add(Received(SineAt8k(440, 8000, 1600)));
    s.out.receiveQueue.Add(std::make_unique<CSoundPacket>(Sound(Samples(100, 1))));
    s.out.mixInQueue.Add(Sound(Samples(100, 2)));
    s.out.stopWhenDrained = true;
    EXPECT_FALSE(s.out.Start());
    ASSERT_EQ(s.host.errors.size(), 1u);
    EXPECT_EQ(s.host.errors[0].rfind("No Sound Output Device\nscripted open failure", 0), 0u);
    EXPECT_TRUE(s.out.stopped);
    EXPECT_TRUE(s.out.receiveQueue.IsEmpty());
    EXPECT_TRUE(s.out.mixInQueue.IsEmpty());
    EXPECT_EQ(s.host.calls, (std::vector<std::string>{"StartCapture", "Unkey"}));

    // Other open failures are not shown.
    SoundStation b;
    b.waveOut.FailOpen(WaveError::Busy);
    EXPECT_FALSE(b.out.Start());
    EXPECT_TRUE(b.host.errors.empty());

    // Refused buffers are not counted, so a close does not wait for them.
    SoundStation r;
    r.waveOut.FailAdd(true);
    ASSERT_TRUE(r.out.Start());
    EXPECT_EQ(r.host.errors, std::vector<std::string>(3, "Sound output Cannot Add Buffer !"));
    EXPECT_EQ(r.out.buffersQueued, 0);
    r.out.Close();
    r.Pump();
    EXPECT_TRUE(r.out.stopped);
    EXPECT_FALSE(r.waveOut.IsOpen());

    // Markers' sounds still queued are deleted with the engine (the leak
    // checker watches this).
    SoundStation d;
    d.out.receiveQueue.Add(std::make_unique<CSoundPacket>(Sound(Samples(100, 1))));
    d.out.mixInQueue.Add(Sound(Samples(100, 2)));
}

TEST(SoundOut, CloseDeletesMarkersThatArriveAfterTheLastBuffer) {
    Playback p;
    p.out.Close();
    p.PlayOne();
    p.PlayOne();
    ASSERT_TRUE(p.waveOut.Play());
    p.RunOne(); // the last buffer back: the close notification is queued
    ASSERT_FALSE(p.waveOut.IsOpen());
    p.out.receiveQueue.Add(std::make_unique<CSoundPacket>(Sound(Samples(100, 1))));
    p.out.receiveQueue.Add(Silence());
    p.out.mixInQueue.Add(Sound(Samples(100, 2)));
    p.Pump();
    EXPECT_TRUE(p.out.stopped);
    EXPECT_TRUE(p.out.receiveQueue.IsEmpty());
    EXPECT_TRUE(p.out.mixInQueue.IsEmpty());
    EXPECT_EQ(p.host.calls, std::vector<std::string>{"Unkey"}); // no capture restart asked
}

} // namespace
