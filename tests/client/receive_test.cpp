// What the client makes of the server's messages, against a scripted server.

#include "client/control_ids.h"
#include "protocol/list_messages.h"
#include "tests/client/client_harness.h"
#include "tests/client/event_loop.h"

#include <gtest/gtest.h>

#include <cerrno>

namespace {

// A client connected to a scripted server of version 113 and joined.
class ReceiveTest : public ::testing::Test {
protected:
    void Connect(ClientSetup setup = {}) {
        setup.port = peer.Port();
        harness = std::make_unique<ClientHarness>(setup);
        harness->Start();
        ASSERT_TRUE(harness->Connect());
        ASSERT_TRUE(AcceptAndJoin(peer, 113));
    }

    bool WaitForList(const std::vector<std::string>& lines, int selection) {
        return RunUntil([&] {
            return harness->ListLines() == lines &&
                   harness->Controls().CurSel(IDC_MAIN_LIST) == selection;
        });
    }

    void SendUpdate(const std::function<void(CUserListUpdateMsg&)>& fill) {
        COptUserListMessage message;
        message.update = std::make_unique<CUserListUpdateMsg>();
        fill(*message.update);
        peer.Send(message);
    }

    CScriptedPeer peer;
    std::unique_ptr<ClientHarness> harness;
};

TEST_F(ReceiveTest, MemberListAndTalkerFromRoomListAndTalking) {
    Connect();
    CRoomListMessage list;
    list.names = {"M0XYZ", "G4ABC", "2E0AAA"};
    list.descriptions = {"Leeds", "Bath", "Ely"};
    peer.Send(list);
    const std::vector<std::string> lines = {"2E0AAA\tEly", "G4ABC\tBath", "M0XYZ\tLeeds"};
    EXPECT_TRUE(WaitForList(lines, -1));

    CTalkingMessage talking;
    talking.talker = "G4ABC";
    peer.Send(talking);
    EXPECT_TRUE(WaitForList(lines, 1));
    EXPECT_EQ(harness->Client().Talker(), "G4ABC");

    talking.talker = "";
    peer.Send(talking);
    EXPECT_TRUE(WaitForList(lines, -1));
    EXPECT_EQ(harness->Client().Talker(), "");
    EXPECT_EQ(harness->events.talkers, (std::vector<std::string>{"G4ABC", ""}));
}

TEST_F(ReceiveTest, MemberListAndTalkerFromUpdates) {
    Connect();
    // Two stations flagged as talking: the later in list order is the talker.
    SendUpdate([](CUserListUpdateMsg& u) {
        u.AddUser("M0XYZ", "Leeds", true);
        u.AddUser("G4ABC", "Bath", false);
        u.AddUser("2E0AAA", "Ely", true);
    });
    const std::vector<std::string> three = {"2E0AAA\tEly", "G4ABC\tBath", "M0XYZ\tLeeds"};
    EXPECT_TRUE(WaitForList(three, 0));
    EXPECT_EQ(harness->Client().Talker(), "2E0AAA");

    SendUpdate([](CUserListUpdateMsg& u) { u.SetTalking("2E0AAA", false); });
    EXPECT_TRUE(WaitForList(three, 2));

    SendUpdate([](CUserListUpdateMsg& u) { u.RemoveUser("M0XYZ"); });
    EXPECT_TRUE(WaitForList({"2E0AAA\tEly", "G4ABC\tBath"}, -1));
    EXPECT_EQ(harness->Client().Talker(), "");

    // The station itself talking draws the list in its own colour.
    SendUpdate([](CUserListUpdateMsg& u) { u.AddUser("G4TST", "Test gateway", true); });
    EXPECT_TRUE(WaitForList({"2E0AAA\tEly", "G4ABC\tBath", "G4TST\tTest gateway"}, 2));
    EXPECT_TRUE(harness->Controls().Get(IDC_MAIN_LIST).highlighted);

    // A disconnect empties the list.
    harness->Client().OnCommand(IDC_DISCONNECT);
    EXPECT_TRUE(harness->ListLines().empty());
    EXPECT_EQ(harness->Client().Talker(), "");
}

TEST_F(ReceiveTest, ActiveRoomsSelectTheCurrentRoomByName) {
    ClientSetup setup;
    setup.room = "10";
    Connect(setup);

    CActiveRoomsMessage rooms;
    rooms.rooms = {"UK-1", "10", "20"};
    peer.Send(rooms);
    CDialogControls& controls = harness->Controls();
    ASSERT_TRUE(RunUntil([&] { return controls.Count(IDC_TALK_GROUP) == 3; }));
    EXPECT_EQ(controls.ItemText(IDC_TALK_GROUP, controls.CurSel(IDC_TALK_GROUP)), "10");

    // No entry is the room (a longer one begins with it): it is added and selected.
    rooms.rooms = {"UK-1", "101", "20"};
    peer.Send(rooms);
    ASSERT_TRUE(RunUntil([&] { return controls.Count(IDC_TALK_GROUP) == 4; }));
    EXPECT_EQ(controls.ItemText(IDC_TALK_GROUP, controls.CurSel(IDC_TALK_GROUP)), "10");
    EXPECT_EQ(controls.Text(IDC_TALK_GROUP), "10");
}

TEST_F(ReceiveTest, TextsFromTheServerAreShown) {
    Connect();
    for (const char* text : {"Welcome to the net", "Net control at 20:00"}) {
        CTextMessage message;
        message.text = text;
        peer.Send(message);
    }
    ASSERT_TRUE(RunUntil([&] { return harness->prompt.messages.size() == 2; }));
    EXPECT_EQ(harness->prompt.Texts(),
              (std::vector<std::string>{"Welcome to the net", "Net control at 20:00"}));
    EXPECT_EQ(harness->prompt.messages[0].icon, IUserPrompt::Icon::None);
}

TEST_F(ReceiveTest, MalformedStreamsEndTheConnectionAndAutoReconnectRecovers) {
    Connect();
    harness->Controls().SetCheck(IDC_AUTO_RECONNECT, 1);

    // A command code beyond the protocol's, then a user update whose entry
    // kind is out of range.
    const std::vector<std::vector<uint8_t>> streams = {
        {28},
        {kCmdOptUserList, 1, 0, 0, 0, 9, 0, 0, 0},
    };
    size_t connections = 1;
    for (const auto& bytes : streams) {
        SCOPED_TRACE(int(bytes[0]));
        peer.SendBytes(bytes);
        ASSERT_TRUE(harness->WaitForConnections(++connections));
        EXPECT_TRUE(peer.WaitClosed(kWaitMs)); // and no Bye
        ASSERT_TRUE(AcceptAndJoin(peer, 113));
    }
    EXPECT_EQ(harness->events.disconnections, (std::vector<bool>{false, false}));
    EXPECT_TRUE(harness->prompt.messages.empty());
    EXPECT_TRUE(harness->prompt.questions.empty());
}

TEST_F(ReceiveTest, SilentServerTimesOut) {
    ClientSetup setup;
    setup.receiveTimeoutMs = 400;
    CManualClock clock;
    setup.port = peer.Port();
    harness = std::make_unique<ClientHarness>(setup);
    harness->Options().clock = &clock;
    harness->Start();
    ASSERT_TRUE(harness->Connect());
    ASSERT_TRUE(AcceptAndJoin(peer, 113));

    // Pings keep the connection alive well beyond the time-out: each is
    // answered, so it has been read, before the clock moves on...
    for (int i = 0; i < 12; ++i) {
        peer.Send(CMsg(kCmdPing));
        const std::unique_ptr<CMsg> answer = peer.Read(kWaitMs);
        ASSERT_TRUE(answer);
        EXPECT_EQ(answer->command, kCmdPing);
        clock.Advance(100);
        RunFor(50);
    }
    EXPECT_TRUE(harness->Client().IsConnected());
    EXPECT_TRUE(harness->events.disconnections.empty());

    // ...and silence ends it, without a Bye.
    clock.Advance(400);
    ASSERT_TRUE(RunUntil([&] { return !harness->events.disconnections.empty(); }));
    EXPECT_EQ(harness->events.disconnections, std::vector<bool>{false});
    int err = 0;
    EXPECT_EQ(peer.Read(kWaitMs, &err), nullptr);
    EXPECT_TRUE(err == kErrPeerClosed || err == ECONNRESET) << err;

    // Without Auto-Reconnect the window stays idle.
    EXPECT_TRUE(harness->WaitForIdle());
    RunFor(3 * setup.watchdogPeriodMs);
    EXPECT_FALSE(peer.Accept(kQuietMs));
}

} // namespace
