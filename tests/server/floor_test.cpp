// The floor: who may talk, whose audio goes where, and when a turn ends.

#include "protocol/conference_messages.h"
#include "tests/server/server_run.h"

#include <gtest/gtest.h>

namespace {

using Strings = std::vector<std::string>;

CSoundMessage Sound(size_t length, uint8_t fill = 0x5A) {
    const std::vector<uint8_t> bytes(length, fill);
    return CSoundMessage(bytes.data(), bytes.size(), false);
}

// What a client sends for one packet: the sound and its filler.
void SendPacket(CTestStation& station, const CSoundMessage& sound) {
    station.Send(sound);
    station.Send(CDummyMessage(uint16_t(1000 - sound.length)));
}

void SendSilence(CTestStation& station) {
    SendPacket(station, CSoundMessage());
}

// The server's clock stands still unless the test moves it, so that no turn
// ends by time (and no ping comes) while a slow machine runs the test.
CServerOptions OnClock(const CManualClock& clock) {
    CServerOptions options;
    options.now = ServerClock(clock);
    return options;
}

TEST(ServerFloor, TheFirstSoundTakesTheFloorAndOnlyTheOthersHearIt) {
    const CManualClock clock;
    CServerRun server(OnClock(clock));
    auto a = server.Joined("A", "R");
    auto b = server.Joined("B", "R");
    auto c = server.Joined("C", "R", kCmdJoin);
    auto elsewhere = server.Joined("D", "S");
    for (CTestStation* joined : {a.get(), b.get(), c.get()})
        joined->Collect(kQuiet);

    SendPacket(*a, Sound(300, 0x11));
    EXPECT_EQ(b->Take(2), (Strings{"talking \"A\"", "users A-on"}));
    const std::unique_ptr<CMsg> relayed = b->Next();
    ASSERT_TRUE(relayed && relayed->command == kCmdSound);
    EXPECT_EQ(static_cast<const CSoundMessage&>(*relayed).payload, std::vector<uint8_t>(300, 0x11));
    EXPECT_EQ(b->Take(1), Strings{"filler 700"});
    // The command-4 station has no member updates, only the talker's name.
    EXPECT_EQ(c->Take(3), (Strings{"talking \"A\"", "sound 300", "filler 700"}));
    // The talker hears who talks, not its own audio.
    EXPECT_EQ(a->Take(2), (Strings{"talking \"A\"", "users A-on"}));

    // Sound from another station while A talks goes nowhere; A's silence does.
    SendPacket(*b, Sound(100));
    SendSilence(*a);
    EXPECT_EQ(c->Take(2), (Strings{"silence", "filler 670"}));
    EXPECT_EQ(a->Collect(kQuiet), Strings{});
    EXPECT_EQ(c->Collect(kQuiet), Strings{});

    // A station that joins during the turn learns who talks, and hears it.
    auto late = server.Connect();
    EXPECT_EQ(late->Join("E", "R"),
              (Strings{"users clear +A* +B +C +E", "talking \"A\"", "rooms R S"}));
    EXPECT_EQ(a->Take(1), Strings{"users +E"});
    EXPECT_EQ(c->Take(1), Strings{"list A B C E"});
    SendPacket(*a, Sound(30));
    EXPECT_EQ(late->Take(2), (Strings{"sound 30", "filler 970"}));

    // End TX: the room hears that nobody talks, then the courtesy request.
    a->Send(CMsg(kCmdEndTx));
    EXPECT_EQ(a->Take(3), (Strings{"talking \"\"", "users A-off", "Courtesy"}));
    EXPECT_EQ(b->Take(8), (Strings{"silence", "filler 670", "users +E", "sound 30", "filler 970",
                                   "talking \"\"", "users A-off", "Courtesy"}));
    EXPECT_EQ(c->Take(4), (Strings{"sound 30", "filler 970", "talking \"\"", "Courtesy"}));
    EXPECT_EQ(late->Take(3), (Strings{"talking \"\"", "users A-off", "Courtesy"}));
    EXPECT_TRUE(server.WaitForLog("#1 A lost the floor in room \"R\" (End TX)"));

    // The floor is free again: silence does not take it, sound does.
    SendSilence(*b);
    SendPacket(*b, Sound(50));
    EXPECT_EQ(c->Take(3), (Strings{"talking \"B\"", "sound 50", "filler 950"}));
    EXPECT_EQ(elsewhere->Collect(kQuiet), Strings{});
}

TEST(ServerFloor, FifteenSilencesOrLeavingEndTheTurn) {
    const CManualClock clock;
    CServerRun server(OnClock(clock));
    auto a = server.Joined("A", "R");
    auto b = server.Joined("B", "R", kCmdJoin);
    a->Collect(kQuiet);

    SendPacket(*a, Sound(200));
    for (int i = 0; i < 14; ++i)
        SendSilence(*a);
    EXPECT_EQ(b->Take(3), (Strings{"talking \"A\"", "sound 200", "filler 800"}));
    for (int i = 0; i < 14; ++i)
        EXPECT_EQ(b->Take(2), (Strings{"silence", "filler 670"}));
    // Sound in between starts the count again.
    SendPacket(*a, Sound(200));
    for (int i = 0; i < 14; ++i)
        SendSilence(*a);
    EXPECT_EQ(b->Take(30).size(), 30u);
    EXPECT_EQ(b->Collect(kQuiet), Strings{});
    SendSilence(*a);
    EXPECT_EQ(b->Take(4), (Strings{"silence", "filler 670", "talking \"\"", "Courtesy"}));
    EXPECT_TRUE(server.WaitForLog("lost the floor in room \"R\" (15 silences)"));

    // A talker that leaves gives the floor back before it is gone.
    SendPacket(*b, Sound(10));
    EXPECT_EQ(a->NextOf(kCmdSound), "sound 10");
    b->Send(CMsg(kCmdBye));
    EXPECT_EQ(a->Take(5),
              (Strings{"filler 990", "talking \"\"", "users B-off", "Courtesy", "users -B"}));
}

TEST(ServerFloor, ATalkerSilentForTheFloorTimeoutLosesTheFloor) {
    CManualClock clock;
    CServerOptions options = OnClock(clock);
    options.floorTimeout = 40ms;
    CServerRun server(options);
    auto a = server.Joined("A", "R");
    auto b = server.Joined("B", "R", kCmdJoin);

    // Packets closer together than the time-out keep the floor. The next move
    // of the clock waits until B has heard the packet, so the server has
    // read it by then.
    SendPacket(*a, Sound(20));
    EXPECT_EQ(b->Take(3), (Strings{"talking \"A\"", "sound 20", "filler 980"}));
    for (int i = 0; i < 4; ++i) {
        clock.Advance(39);
        SendPacket(*a, Sound(20));
        EXPECT_EQ(b->Take(2), (Strings{"sound 20", "filler 980"}));
    }

    clock.Advance(39);
    EXPECT_EQ(b->Collect(kQuiet), Strings{});
    clock.Advance(1);
    EXPECT_EQ(b->Take(2), (Strings{"talking \"\"", "Courtesy"}));
    EXPECT_TRUE(server.WaitForLog("#1 A lost the floor in room \"R\" (no audio)"));
}

} // namespace
