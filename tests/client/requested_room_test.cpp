// A room the user or the server asks for is the room joined: never a longer
// room that begins with it, and a word missing from the command line leaves
// the stored value alone.

#include "client/control_ids.h"
#include "protocol/list_messages.h"
#include "tests/client/client_harness.h"
#include "tests/client/event_loop.h"

#include <gtest/gtest.h>

namespace {

std::unique_ptr<CJoinMessage> StartAndJoin(const std::string& storedRoom,
                                           const std::string& commandLine) {
    CScriptedPeer peer;
    ClientSetup setup;
    setup.port = peer.Port();
    setup.room = storedRoom;
    ClientHarness harness(setup);
    harness.Start(commandLine);
    if (!harness.WaitForConnections(1))
        return nullptr;
    return AcceptAndJoin(peer, 113);
}

TEST(RequestedRoom, TheWholeNameIsJoined) {
    auto join = StartAndJoin("101", "10");
    ASSERT_TRUE(join);
    EXPECT_EQ(join->room, "10");

    // A move to "10" on the same server while it lists 100 and 101.
    CScriptedPeer peer;
    ClientSetup setup;
    setup.port = peer.Port();
    ClientHarness harness(setup);
    harness.Start();
    ASSERT_TRUE(harness.Connect());
    ASSERT_TRUE(AcceptAndJoin(peer, 113));
    CActiveRoomsMessage rooms;
    rooms.rooms = {"100", "101", "UK-1"};
    ASSERT_TRUE(peer.Send(rooms));
    ASSERT_TRUE(RunUntil([&] { return harness.Controls().Count(IDC_TALK_GROUP) == 3; }));
    harness.Client().GoToServer("127.0.0.1", "10", peer.Port());
    auto moved = ExpectMessage(peer, kCmdJoinWithPassword);
    ASSERT_TRUE(moved);
    EXPECT_EQ(As<CJoinMessage>(moved).room, "10");
    EXPECT_EQ(harness.Controls().Text(IDC_TALK_GROUP), "10");

    // The server's list arriving again keeps "10" selected, and a room that
    // differs only in letter case selects the listed entry.
    ASSERT_TRUE(peer.Send(rooms));
    ASSERT_TRUE(RunUntil([&] { return harness.Controls().Count(IDC_TALK_GROUP) == 4; }));
    EXPECT_EQ(harness.Controls().Text(IDC_TALK_GROUP), "10");
    harness.Client().GoToServer("127.0.0.1", "uk-1", peer.Port());
    auto cased = ExpectMessage(peer, kCmdJoinWithPassword);
    ASSERT_TRUE(cased);
    EXPECT_EQ(As<CJoinMessage>(cased).room, "UK-1");
}

TEST(RequestedRoom, TestModeKeepsTheStoredValueOfAMissingWord) {
    struct Case {
        std::string commandLine, room, callsign;
    };
    for (const Case& c : {Case{"#GB-7", "GB-7", "G4TST"}, Case{"#", "UK-1", "G4TST"},
                          Case{"#GB-7 m0tst", "GB-7", "m0tst"}}) {
        SCOPED_TRACE(c.commandLine);
        ClientSetup setup;
        ClientHarness harness(setup);
        harness.Start(c.commandLine);
        EXPECT_EQ(harness.Client().Settings().room, c.room);
        EXPECT_EQ(harness.Client().Settings().callsign, c.callsign);
        EXPECT_EQ(harness.Controls().Text(IDC_CALLSIGN), c.callsign);
    }
}

} // namespace
