// Connecting, the handshake and disconnecting, against a scripted server.

#include "client/control_ids.h"
#include "client/program_version.h"
#include "tests/client/client_harness.h"
#include "tests/client/event_loop.h"

#include <gtest/gtest.h>

#include <chrono>

namespace {

const char kUnableToConnect[] = "Unable to connect to the Server";
const char kRetryQuestion[] = "Failed connection, Retry?";

// A port on which nothing listens.
uint16_t ClosedPort() {
    CScriptedPeer gone;
    return gone.Port();
}

TEST(ClientConnection, HandshakeDependsOnTheServerVersion) {
    struct Case {
        int32_t serverVersion;
        bool versionEx;
        uint8_t joinCommand;
        std::string password;
    };
    for (const Case& c : {Case{107, false, kCmdJoin, ""}, Case{108, true, kCmdJoin, ""},
                          Case{113, true, kCmdJoinWithPassword, "sesame"}}) {
        SCOPED_TRACE(c.serverVersion);
        CScriptedPeer peer;
        ClientSetup setup;
        setup.port = peer.Port();
        setup.password = "sesame";
        ClientHarness harness(setup);
        harness.Start();
        ASSERT_TRUE(harness.Connect());
        ASSERT_TRUE(peer.Accept(kWaitMs));

        auto first = ExpectMessage(peer, kCmdVersion);
        ASSERT_TRUE(first);
        EXPECT_EQ(As<CVersionMessage>(first).version, ProgramVersionNumber());
        // Nothing more until the server has told its version.
        EXPECT_FALSE(peer.Read(kQuietMs));

        CVersionMessage serverVersion;
        serverVersion.version = c.serverVersion;
        peer.Send(serverVersion);
        if (c.versionEx) {
            auto ex = ExpectMessage(peer, kCmdVersionEx);
            ASSERT_TRUE(ex);
            EXPECT_EQ(As<CVersionMessage>(ex).version, ProgramVersionNumber());
            EXPECT_EQ(As<CVersionMessage>(ex).machineValue, int32_t(MachineValue()));
        }
        auto join = ExpectMessage(peer, c.joinCommand);
        ASSERT_TRUE(join);
        const auto& j = As<CJoinMessage>(join);
        EXPECT_EQ(j.callSign, "G4TST");
        EXPECT_EQ(j.room, "UK-1");
        EXPECT_EQ(j.comment, "Test gateway");
        EXPECT_EQ(j.codec, "AMR");
        EXPECT_EQ(j.password, c.password);
        EXPECT_FALSE(peer.Read(kQuietMs));
        EXPECT_EQ(harness.Client().ServerVersion(), c.serverVersion);

        // The controls of a live connection.
        CDialogControls& controls = harness.Controls();
        for (int id :
             {IDC_CALLSIGN, IDC_CONNECT, IDC_SERVER, IDC_PORT, IDC_SERVER_PASSWORD, IDC_PRESETS})
            EXPECT_FALSE(controls.IsEnabled(id)) << id;
        for (int id : {IDC_SEND, IDC_DISCONNECT, IDC_PTT, IDC_CONNECTION_LOST})
            EXPECT_TRUE(controls.IsEnabled(id)) << id;
        EXPECT_EQ(controls.DefaultButton(), IDC_SEND);
    }
}

TEST(ClientConnection, ByeOnlyWhenTheUserDisconnects) {
    CScriptedPeer peer;
    ClientSetup setup;
    setup.port = peer.Port();
    ClientHarness harness(setup);
    harness.Start();
    ASSERT_TRUE(harness.Connect());
    ASSERT_TRUE(AcceptAndJoin(peer, 113));

    harness.Client().OnCommand(IDC_DISCONNECT);
    EXPECT_TRUE(ExpectMessage(peer, kCmdBye));
    EXPECT_TRUE(peer.WaitClosed(kWaitMs));
    ASSERT_TRUE(harness.WaitForIdle());
    EXPECT_EQ(harness.events.disconnections, std::vector<bool>{true});
    EXPECT_EQ(harness.Controls().DefaultButton(), IDC_CONNECT);
    for (int id : {IDC_SEND, IDC_DISCONNECT, IDC_PTT})
        EXPECT_FALSE(harness.Controls().IsEnabled(id)) << id;

    // Disconnect on an idle window changes nothing.
    harness.Client().OnCommand(IDC_DISCONNECT);
    harness.Client().Disconnect(true);
    EXPECT_EQ(harness.events.disconnections.size(), 1u);

    // The server ends the stream: a loss, with no Bye and, without
    // Auto-Reconnect, no new attempt.
    ASSERT_TRUE(harness.Connect());
    ASSERT_TRUE(AcceptAndJoin(peer, 113));
    peer.HalfClose();
    ASSERT_TRUE(harness.WaitForIdle());
    EXPECT_TRUE(peer.WaitClosed(kWaitMs));
    EXPECT_EQ(harness.events.disconnections, (std::vector<bool>{true, false}));
    RunFor(3 * setup.watchdogPeriodMs);
    EXPECT_FALSE(peer.Accept(kQuietMs));
    EXPECT_FALSE(harness.Client().State().ReconnectWanted());
    EXPECT_TRUE(harness.prompt.questions.empty());
}

TEST(ClientConnection, AutoReconnectAfterALoss) {
    CScriptedPeer peer;
    ClientSetup setup;
    setup.port = peer.Port();
    ClientHarness harness(setup);
    harness.Start();
    harness.Controls().SetCheck(IDC_AUTO_RECONNECT, 1);
    ASSERT_TRUE(harness.Connect());
    ASSERT_TRUE(AcceptAndJoin(peer, 113));

    peer.Hangup();
    ASSERT_TRUE(harness.WaitForConnections(2));
    auto join = AcceptAndJoin(peer, 113);
    ASSERT_TRUE(join);
    EXPECT_EQ(join->room, "UK-1");
    EXPECT_EQ(harness.events.disconnections, std::vector<bool>{false});
    EXPECT_TRUE(harness.prompt.questions.empty());
    EXPECT_TRUE(harness.Client().IsConnected());
}

TEST(ClientConnection, AutomaticRetriesAreSilentAndSendWhatWasLeftFirst) {
    auto peer = std::make_unique<CScriptedPeer>();
    const uint16_t port = peer->Port();
    ClientSetup setup;
    setup.port = port;
    ClientHarness harness(setup);
    harness.Start();
    harness.Controls().SetCheck(IDC_AUTO_RECONNECT, 1);
    ASSERT_TRUE(harness.Connect());
    ASSERT_TRUE(AcceptAndJoin(*peer, 113));

    // The server goes away altogether; the client keeps trying, silently.
    peer.reset();
    ASSERT_TRUE(
        RunUntil([&] { return harness.events.NotesStartingWith("Connect failed") >= 2; }, kWaitMs));
    EXPECT_TRUE(harness.prompt.questions.empty());
    EXPECT_TRUE(harness.prompt.messages.empty());
    EXPECT_EQ(harness.ListLines(), std::vector<std::string>{kUnableToConnect});

    // What is queued meanwhile goes out first on the next connection: sound
    // before control messages, both before the new version message.
    const std::vector<uint8_t> bytes(300, 0x3C);
    harness.Client().TransmitQueue().Add(
        std::make_unique<CSoundPacket>(int(bytes.size()), bytes.data()));
    auto text = std::make_unique<CTextMessage>();
    text->text = "left over";
    harness.Client().MessageQueue().Add(std::move(text));

    peer = std::make_unique<CScriptedPeer>(port);
    ASSERT_TRUE(peer->IsListening());
    ASSERT_TRUE(harness.WaitForConnections(2));
    ASSERT_TRUE(peer->Accept(kWaitMs));
    auto sound = ExpectMessage(*peer, kCmdSound);
    ASSERT_TRUE(sound);
    EXPECT_EQ(As<CSoundMessage>(sound).payload, bytes);
    auto filler = ExpectMessage(*peer, kCmdDummy);
    ASSERT_TRUE(filler);
    EXPECT_EQ(As<CDummyMessage>(filler).length, 700);
    auto leftOver = ExpectMessage(*peer, kCmdText);
    ASSERT_TRUE(leftOver);
    EXPECT_EQ(As<CTextMessage>(leftOver).text, "left over");
    EXPECT_TRUE(ExpectMessage(*peer, kCmdVersion));
    EXPECT_TRUE(harness.prompt.questions.empty());
}

TEST(ClientConnection, RefusedUserConnectAsksWhetherToRetry) {
    ClientSetup setup;
    setup.port = ClosedPort();
    ClientHarness harness(setup);
    harness.Start();
    harness.prompt.answers = {true, false};
    harness.Client().OnCommand(IDC_CONNECT);
    ASSERT_TRUE(RunUntil([&] { return !harness.Client().State().ConnectInProgress(); }, kWaitMs));
    EXPECT_EQ(harness.prompt.questions, (std::vector<std::string>{kRetryQuestion, kRetryQuestion}));
    EXPECT_EQ(harness.ListLines(), std::vector<std::string>{kUnableToConnect});
    EXPECT_FALSE(harness.Client().State().Connected());
    EXPECT_TRUE(harness.Controls().IsEnabled(IDC_CONNECT));
}

TEST(ClientConnection, UnresolvableHostFailsWithoutAQuestion) {
    ClientSetup setup;
    setup.host = "no-such-host.invalid";
    setup.port = 10024;
    ClientHarness harness(setup);
    harness.Start();
    harness.prompt.defaultAnswer = true;
    harness.Client().OnCommand(IDC_CONNECT);
    ASSERT_TRUE(RunUntil([&] { return !harness.Client().State().ConnectInProgress(); }, kWaitMs));
    EXPECT_TRUE(harness.prompt.questions.empty());
    EXPECT_EQ(harness.ListLines(), std::vector<std::string>{kUnableToConnect});
    EXPECT_FALSE(harness.Client().State().Connected());
}

TEST(ClientConnection, CallsignIsCheckedOnConnect) {
    CScriptedPeer peer;
    ClientSetup setup;
    setup.port = peer.Port();
    setup.callsign = "";
    ClientHarness harness(setup);
    harness.Start();

    struct Refusal {
        std::string callsign, message;
    };
    for (const Refusal& r : {Refusal{"", "Callsign blank!"},
                             Refusal{" G4TST", "Callsign Must start with a Letter or a Number"}}) {
        SCOPED_TRACE(r.callsign);
        harness.prompt.messages.clear();
        harness.Controls().SetText(IDC_CALLSIGN, r.callsign);
        harness.Client().OnCommand(IDC_CONNECT);
        ASSERT_TRUE(
            RunUntil([&] { return !harness.Client().State().ConnectInProgress(); }, kWaitMs));
        ASSERT_EQ(harness.prompt.messages.size(), 1u);
        EXPECT_EQ(harness.prompt.messages[0].text, r.message);
        EXPECT_EQ(harness.prompt.messages[0].icon, IUserPrompt::Icon::Stop);
        EXPECT_EQ(harness.ListLines(), std::vector<std::string>{kUnableToConnect});
        EXPECT_FALSE(peer.Accept(kQuietMs));
    }

    // A lower-case callsign is taken, and shown, in upper case.
    harness.prompt.messages.clear();
    harness.Controls().SetText(IDC_CALLSIGN, "m0abc");
    ASSERT_TRUE(harness.Connect());
    auto join = AcceptAndJoin(peer, 113);
    ASSERT_TRUE(join);
    EXPECT_EQ(join->callSign, "M0ABC");
    EXPECT_EQ(harness.Controls().Text(IDC_CALLSIGN), "M0ABC");
    EXPECT_TRUE(harness.prompt.messages.empty());
}

TEST(ClientConnection, CommandLineRoomConnectsByItself) {
    {
        // Nobody has connected yet, so a failure is asked about; after a No
        // the watchdog tries again.
        ClientSetup setup;
        setup.port = ClosedPort();
        ClientHarness harness(setup);
        harness.Start("GB-NET");
        ASSERT_TRUE(RunUntil([&] { return harness.prompt.questions.size() >= 2; }));
        EXPECT_EQ(harness.prompt.questions[0], kRetryQuestion);
        EXPECT_EQ(harness.ListLines(), std::vector<std::string>{kUnableToConnect});
    }
    CScriptedPeer peer;
    ClientSetup setup;
    setup.port = peer.Port();
    ClientHarness harness(setup);
    harness.Start("GB-NET");
    ASSERT_TRUE(harness.WaitForConnections(1));
    auto join = AcceptAndJoin(peer, 113);
    ASSERT_TRUE(join);
    EXPECT_EQ(join->room, "GB-NET");
    EXPECT_EQ(harness.Controls().Text(IDC_TALK_GROUP), "GB-NET");
    EXPECT_TRUE(harness.prompt.questions.empty());
}

TEST(ClientConnection, TestModeConnectsSilentlyWithItsRoomAndCallsign) {
    {
        ClientSetup setup;
        setup.port = ClosedPort();
        ClientHarness harness(setup);
        harness.Start("#GB-7 m0tst");
        // Its first step, while idle, always connects.
        harness.Client().OnTimer(kTestModeTimer);
        ASSERT_TRUE(RunUntil([&] { return !harness.ListLines().empty(); }));
        EXPECT_EQ(harness.ListLines(), std::vector<std::string>{kUnableToConnect});
        EXPECT_TRUE(harness.prompt.questions.empty());
    }
    CScriptedPeer peer;
    ClientSetup setup;
    setup.port = peer.Port();
    ClientHarness harness(setup);
    harness.Start("#GB-7 m0tst");
    harness.Client().OnTimer(kTestModeTimer);
    ASSERT_TRUE(harness.WaitForConnections(1));
    auto join = AcceptAndJoin(peer, 113);
    ASSERT_TRUE(join);
    EXPECT_EQ(join->room, "GB-7");
    EXPECT_EQ(join->callSign, "M0TST");
}

TEST(ClientConnection, ClosingWhileConnectedSaysByeAndEnds) {
    CScriptedPeer peer;
    ClientSetup setup;
    setup.port = peer.Port();
    ClientHarness harness(setup);
    harness.Start();
    bool ended = false;
    QObject::connect(&harness.Client(), &CClient_TavroDlg::ended, [&] { ended = true; });
    ASSERT_TRUE(harness.Connect());
    ASSERT_TRUE(AcceptAndJoin(peer, 113));

    harness.Client().OnClose();
    EXPECT_TRUE(ended);
    EXPECT_TRUE(harness.Client().IsEnded());
    EXPECT_TRUE(ExpectMessage(peer, kCmdBye));
    EXPECT_TRUE(peer.WaitClosed(kWaitMs));
    EXPECT_EQ(harness.events.disconnections, std::vector<bool>{true});
}

TEST(ClientConnection, GoToServerMovesOnlyWhenItMust) {
    CScriptedPeer first, second;
    ClientSetup setup;
    setup.port = first.Port();
    ClientHarness harness(setup);
    harness.Start();
    ASSERT_TRUE(harness.Connect());
    ASSERT_TRUE(AcceptAndJoin(first, 113));

    // The same server and room: nothing at all.
    harness.Client().GoToServer("127.0.0.1", "UK-1", first.Port());
    EXPECT_FALSE(first.Read(kQuietMs));

    // Another room on the same server: a new join on the same connection.
    harness.Client().GoToServer("127.0.0.1", "GB-2", first.Port());
    auto join = ExpectMessage(first, kCmdJoinWithPassword);
    ASSERT_TRUE(join);
    EXPECT_EQ(As<CJoinMessage>(join).room, "GB-2");
    RunFor(kQuietMs);
    EXPECT_FALSE(first.Accept(0));
    EXPECT_EQ(harness.events.connections.size(), 1u);

    // Another server: the user's kind of disconnect, then the new server.
    harness.Client().GoToServer("127.0.0.1", "GB-3", second.Port());
    EXPECT_TRUE(ExpectMessage(first, kCmdBye));
    EXPECT_TRUE(first.WaitClosed(kWaitMs));
    ASSERT_TRUE(harness.WaitForConnections(2));
    auto moved = AcceptAndJoin(second, 113);
    ASSERT_TRUE(moved);
    EXPECT_EQ(moved->room, "GB-3");
    EXPECT_EQ(harness.events.connections[1].port, second.Port());
}

TEST(ClientConnection, AutomaticYesRetriesNoFasterThanTheWatchdog) {
    ClientSetup setup;
    setup.port = ClosedPort();
    setup.watchdogPeriodMs = 100;
    ClientHarness harness(setup);
    harness.prompt.answersByItself = true;
    harness.prompt.defaultAnswer = true;
    harness.Start();
    const auto clicked = std::chrono::steady_clock::now();
    harness.Client().OnCommand(IDC_CONNECT);
    ASSERT_TRUE(RunUntil([&] { return harness.prompt.questions.size() >= 3; }));
    // One attempt at once, then one a watchdog period after each failure (Qt's
    // timers may fire up to 5 % early).
    EXPECT_GE(std::chrono::steady_clock::now() - clicked, 2 * std::chrono::milliseconds(95));
    EXPECT_TRUE(harness.Client().State().ConnectInProgress());
}

TEST(ClientConnection, GoToServerDuringAConnectReachesTheNewServer) {
    CScriptedPeer first, second;
    ClientSetup setup;
    setup.port = first.Port();
    ClientHarness harness(setup);
    harness.Start();
    harness.Client().OnCommand(IDC_CONNECT);
    harness.Client().GoToServer("127.0.0.1", "GB-9", second.Port());
    ASSERT_TRUE(harness.WaitForConnections(1));
    auto join = AcceptAndJoin(second, 113);
    ASSERT_TRUE(join);
    EXPECT_EQ(join->room, "GB-9");
    EXPECT_EQ(harness.events.connections.back().port, second.Port());
    // The first server may have seen a connection, never a join.
    if (first.Accept(0)) {
        EXPECT_FALSE(first.Read(kQuietMs));
    }

    // A second move to a server while connecting to the first.
    CScriptedPeer third;
    harness.Client().OnCommand(IDC_DISCONNECT);
    harness.Client().OnCommand(IDC_CONNECT);
    harness.Client().GoToServer("127.0.0.1", "GB-3", third.Port());
    ASSERT_TRUE(harness.WaitForConnections(2));
    EXPECT_EQ(harness.events.connections.back().port, third.Port());
    auto moved = AcceptAndJoin(third, 113);
    ASSERT_TRUE(moved);
    EXPECT_EQ(moved->room, "GB-3");
}

} // namespace
