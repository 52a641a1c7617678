// The transmitter is never left keyed: a gateway keyed by room audio releases
// its keying line when the program closes, the connection is lost, the rig
// port is closed or the sound card fails.

#include "audio/sound_out.h"
#include "tests/client/event_loop.h"
#include "tests/client/gateway_fixture.h"

#include <gtest/gtest.h>

namespace {

// A failed device stops handing buffers back; the gateway must notice well
// within this time.
constexpr int kStalledDeviceReleaseMs = 4000;

TEST(StuckTransmitter, TheKeyingLineIsReleasedWhateverEndsTheOver) {
    {
        SCOPED_TRACE("the program closes");
        Gateway g;
        ASSERT_TRUE(g.ok);
        ASSERT_TRUE(g.KeyWithRoomAudio());
        EXPECT_EQ(g.RtsAssertions(g.restLineChanges), 1);
        const size_t keyed = g.serial.LineChanges().size();
        g.Client().OnClose();
        EXPECT_FALSE(g.serial.Rts());
        // The window ends once the sound card has played out and closed.
        ASSERT_TRUE(RunUntil([&] {
            g.waveOut->Play();
            return g.Client().IsEnded();
        }));
        EXPECT_FALSE(g.serial.Rts());
        g.harness.reset();
        EXPECT_FALSE(g.serial.IsOpen());
        EXPECT_FALSE(g.serial.Rts());
        EXPECT_EQ(g.RtsAssertions(keyed), 0);
        EXPECT_EQ(g.prompt.offUiThread, 0);
    }
    {
        SCOPED_TRACE("the connection is lost");
        Gateway g;
        ASSERT_TRUE(g.ok);
        ASSERT_TRUE(g.KeyWithRoomAudio());
        const size_t keyed = g.serial.LineChanges().size();
        g.peer.Hangup();
        ASSERT_TRUE(g.harness->WaitForIdle());
        EXPECT_FALSE(g.serial.Rts());
        EXPECT_EQ(g.harness->events.disconnections, std::vector<bool>{false});
        // What was received plays out, then the sound card returns to capture;
        // the line stays released all the while.
        ASSERT_TRUE(RunUntil([&] {
            g.waveOut->Play();
            return g.waveIn->IsStarted();
        }));
        EXPECT_FALSE(g.serial.Rts());
        EXPECT_EQ(g.RtsAssertions(keyed), 0);
        EXPECT_EQ(g.prompt.offUiThread, 0);
    }
    {
        SCOPED_TRACE("the rig port is closed");
        Gateway g;
        ASSERT_TRUE(g.ok);
        ASSERT_TRUE(g.KeyWithRoomAudio());
        g.Client().RigKeying().CloseRigPort();
        EXPECT_FALSE(g.serial.Rts());
        EXPECT_FALSE(g.serial.IsOpen());
        const size_t closed = g.serial.LineChanges().size();
        // The over plays out and the sound card returns to capture; the next
        // over cannot key a closed port, and the lamp does not claim it did.
        ASSERT_TRUE(RunUntil([&] {
            g.waveOut->Play();
            return g.waveIn->IsStarted();
        }));
        g.SendRoomAudio(1);
        ASSERT_TRUE(RunUntil([&] {
            g.Capture();
            return g.harness->events.NotesStartingWith("The transmitter cannot be keyed") == 1;
        }));
        EXPECT_FALSE(g.Client().RigKeying().IsLampOn());
        EXPECT_FALSE(g.serial.Rts());
        EXPECT_EQ(g.serial.LineChanges().size(), closed);
        EXPECT_EQ(g.prompt.offUiThread, 0);
    }
    {
        SCOPED_TRACE("the playback device does not open");
        Gateway g({.playbackOpens = false});
        ASSERT_TRUE(g.ok);
        // The first room audio says why it cannot play; what follows is
        // dropped quietly until the card is tried again, and the transmitter
        // is never keyed for it.
        g.SendRoomAudio(1);
        ASSERT_TRUE(RunUntil([&] {
            g.Capture();
            return g.harness->events.NotesStartingWith("Trying the sound card again") == 1;
        }));
        g.SendRoomAudio(3);
        RunFor(300);
        ASSERT_EQ(g.prompt.messages.size(), 1u);
        EXPECT_TRUE(g.waveIn->IsStarted());
        EXPECT_EQ(g.prompt.offUiThread, 0);
        for (const FakeUserPrompt::Message& message : g.prompt.messages)
            EXPECT_EQ(message.text.rfind(kNoSoundOutputDevice, 0), 0u) << message.text;
        EXPECT_FALSE(g.serial.Rts());
        EXPECT_EQ(g.RtsAssertions(g.restLineChanges), 0);
        EXPECT_FALSE(g.Client().RigKeying().IsLampOn());
    }
    {
        SCOPED_TRACE("the playback device stops handing buffers back");
        Gateway g;
        ASSERT_TRUE(g.ok);
        ASSERT_TRUE(g.KeyWithRoomAudio());
        // From here on the device keeps the buffers it holds, as a failed
        // sound card does.
        ASSERT_TRUE(RunUntil([&] { return !g.serial.Rts(); }, kStalledDeviceReleaseMs));
        // The sound card returns to capture, and nothing is left keyed.
        ASSERT_TRUE(RunUntil([&] { return g.waveIn->IsStarted(); }));
        EXPECT_FALSE(g.waveOut->IsOpen());
        EXPECT_FALSE(g.Client().RigKeying().IsLampOn());
        EXPECT_TRUE(g.prompt.messages.empty());
        EXPECT_EQ(g.prompt.offUiThread, 0);
    }
}

} // namespace
