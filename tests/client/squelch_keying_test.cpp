// The receiver's squelch opening sends the receiver's audio to the room; it
// never keys the transmitter. Only the operator's push-to-talk does.

#include "client/control_ids.h"
#include "platform/clock.h"
#include "tests/client/event_loop.h"
#include "tests/client/gateway_fixture.h"

#include <gtest/gtest.h>

namespace {

// RTS keying on COM1 with the squelch on the DSR line of the same port, and
// "Mute" (the VOX box) unchecked.
constexpr char kDsrSquelchIni[] = "VOVB=0\n[TX_CTRL]\nTYPE=2\nCOMPORT=1\nLINE=0\nREV=0\nSQLLINE=2\n"
                                  "SQLREV=1\n[COM_PORTS]\nCOM1=/dev/tavro-test-rig\n";

TEST(SquelchKeying, AnOpeningSquelchSendsAudioWithoutKeying) {
    CManualClock clock;
    Gateway g({.rigIni = kDsrSquelchIni, .clock = &clock});
    ASSERT_TRUE(g.ok);
    ASSERT_TRUE(g.waveIn->IsStarted());
    // Push-to-talk is armed a second after the connect.
    clock.Advance(1000);
    ASSERT_TRUE(RunUntil([&] { return g.Client().PushToTalkButton().IsArmed(); }));

    g.serial.SetDsr(true);
    ASSERT_TRUE(RunUntil([&] { return g.Client().PushToTalkActive(); }));
    RunFor(kQuietMs);
    EXPECT_FALSE(g.serial.Rts());
    EXPECT_FALSE(g.Client().RigKeying().IsLampOn());
    EXPECT_EQ(g.RtsAssertions(g.restLineChanges), 0);

    g.serial.SetDsr(false);
    ASSERT_TRUE(RunUntil([&] { return !g.Client().PushToTalkActive(); }));
    EXPECT_FALSE(g.serial.Rts());

    // The operator's push-to-talk still keys while capture runs.
    g.Client().OnCommand(IDC_PTT_START);
    EXPECT_TRUE(g.serial.Rts());
    g.Client().OnCommand(IDC_PTT_STOP);
}

} // namespace
