// A USB sound card that fails in the middle: the transmitter is released, the
// failure is said once, the card is tried again every 2 s without a word, and
// sound resumes by itself when it is back, with the connection up throughout.

#include "tests/client/event_loop.h"
#include "tests/client/gateway_fixture.h"

#include <gtest/gtest.h>

namespace {

void Unplug(Gateway& g) {
    g.waveIn->FailOpen(WaveError::NoDevice);
    g.waveOut->FailOpen(WaveError::NoDevice);
}

void PlugIn(Gateway& g) {
    g.waveIn->ClearOpenFailures();
    g.waveOut->ClearOpenFailures();
}

TEST(DeviceLoss, AFailedSoundCardIsReleasedRetriedQuietlyAndResumes) {
    {
        SCOPED_TRACE("playback fails during an over");
        CManualClock clock;
        Gateway g({.clock = &clock});
        ASSERT_TRUE(g.ok);
        ASSERT_TRUE(g.KeyWithRoomAudio());
        Unplug(g);
        g.waveOut->Fail("the sound card 'hw:1' stopped working: No such device");
        ASSERT_TRUE(RunUntil([&] { return !g.serial.Rts() && !g.waveOut->IsOpen(); }));
        ASSERT_EQ(g.prompt.Texts(), std::vector<std::string>{
                                        "Sound card failure: the sound card 'hw:1' stopped "
                                        "working: No such device.\nThe transmitter is released."});

        // The room talks on: nothing is tried or said before the 2 s are up.
        const size_t captureTries = g.waveIn->OpenAttempts().size();
        const size_t playbackTries = g.waveOut->OpenAttempts().size();
        g.SendRoomAudio(3);
        RunFor(600);
        EXPECT_EQ(g.waveIn->OpenAttempts().size(), captureTries);
        EXPECT_EQ(g.waveOut->OpenAttempts().size(), playbackTries);
        clock.Advance(2000);
        ASSERT_TRUE(RunUntil([&] { return g.waveIn->OpenAttempts().size() > captureTries; }));
        EXPECT_EQ(g.prompt.messages.size(), 1u);
        EXPECT_FALSE(g.Client().RigKeying().IsLampOn());

        PlugIn(g);
        clock.Advance(2000);
        ASSERT_TRUE(RunUntil([&] {
            return g.waveIn->IsStarted() &&
                   g.harness->events.NotesStartingWith("The sound card works again") == 1;
        }));
        EXPECT_TRUE(g.Client().IsConnected());
        EXPECT_TRUE(g.harness->events.disconnections.empty());
        // The next over plays and keys as before.
        ASSERT_TRUE(g.KeyWithRoomAudio());
        EXPECT_EQ(g.prompt.messages.size(), 1u);
    }
    {
        SCOPED_TRACE("capture fails while listening");
        CManualClock clock;
        Gateway g({.clock = &clock});
        ASSERT_TRUE(g.ok);
        ASSERT_TRUE(RunUntil([&] { return g.waveIn->IsStarted(); }));
        Unplug(g);
        g.waveIn->Fail("the sound card 'hw:1' stopped working: Input/output error");
        ASSERT_TRUE(RunUntil([&] { return !g.waveIn->IsOpen(); }));
        clock.Advance(2000);
        RunFor(300);
        EXPECT_EQ(g.prompt.messages.size(), 1u);
        PlugIn(g);
        clock.Advance(2000);
        ASSERT_TRUE(RunUntil([&] { return g.waveIn->IsStarted(); }));
        EXPECT_TRUE(g.Client().IsConnected());
        EXPECT_EQ(g.prompt.offUiThread, 0);
    }
}

} // namespace
