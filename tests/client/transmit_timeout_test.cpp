// The transmit time-out: a station that keeps talking loses the transmitter,
// and the room's audio stays off the air until another station talks.

#include "client/control_ids.h"
#include "tests/client/event_loop.h"
#include "tests/client/gateway_fixture.h"

#include <gtest/gtest.h>

namespace {

TEST(TransmitTimeout, ALongOverIsCutAndTheNextStationIsHeard) {
    CManualClock clock;
    Gateway g({.rigIni = std::string("[TX_CTRL]\nTYPE=2\nCOMPORT=1\nLINE=0\nREV=0\nSQLLINE=0\n"
                                     "TXTOT=1\nTxTimeout=5\nTxRestart=5\n"
                                     "[COM_PORTS]\nCOM1=/dev/tavro-test-rig\n"),
               .clock = &clock});
    ASSERT_TRUE(g.ok);
    CTalkingMessage talking;
    talking.talker = "M0RMT";
    ASSERT_TRUE(g.peer.Send(talking));
    ASSERT_TRUE(g.KeyWithRoomAudio());
    // The station talks on, one packet played for each 200 ms, until released.
    auto talk = [&](int ms) {
        for (int t = 0; t < ms && g.serial.Rts(); t += 200) {
            clock.Advance(200);
            g.SendRoomAudio(1);
            ASSERT_TRUE(RunUntil([&] { return !g.Client().PlaybackQueue().IsEmpty(); }));
            ASSERT_TRUE(g.waveOut->Play());
            // The heartbeat, at the pace of this clock.
            g.Client().OnTimer(kHeartbeatTimer);
            RunFor(20);
        }
    };
    // The heartbeat sees the keying within one step of it.
    talk(4'600);
    EXPECT_TRUE(g.serial.Rts());
    talk(600);
    ASSERT_TRUE(RunUntil([&] { return !g.serial.Rts(); }));
    EXPECT_EQ(g.harness->events.NotesStartingWith("Transmit time-out: keyed for 5 s"), 1u);

    // The same station talks on: it stays off the air.
    const size_t released = g.serial.LineChanges().size();
    g.SendRoomAudio(3);
    RunFor(600);
    g.Capture();
    EXPECT_EQ(g.RtsAssertions(released), 0);

    // Another station is heard at once.
    talking.talker = "G4XYZ";
    ASSERT_TRUE(g.peer.Send(talking));
    ASSERT_TRUE(RunUntil([&] { return g.Client().Talker() == "G4XYZ"; }));
    g.SendRoomAudio(1);
    ASSERT_TRUE(RunUntil([&] {
        g.Capture();
        return g.serial.Rts();
    }));
}

} // namespace
