// DTMF commands keyed over the air move the gateway between presets, connect
// and disconnect it, and the messages that follow them, the timed
// announcements and the reconnect message go out over the transmitter.

#include "audio/sound_packet.h"
#include "client/control_ids.h"
#include "tests/client/client_harness.h"
#include "tests/client/event_loop.h"
#include "tests/support/manual_wave.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>

namespace {

// Two presets on the test's server, rooms ROOMA and ROOMB (loading adds the
// two built-in servers as presets 2 and 3), codes 1234 and 99, Morse texts
// for the connect and disconnect messages and a WAV file that does not exist
// for the preset room 1 message.
std::string DutiesIni(int port, const std::string& connectCode = "1234",
                      const std::string& disconnectCode = "99") {
    std::string ini = "nPreset=2\n";
    for (int i = 0; i < 2; ++i) {
        const std::string p = "P" + std::to_string(i);
        ini += p + "Name=Room " + char('A' + i) + "\n" + p + "Server=127.0.0.1\n" + p +
               "Port=" + std::to_string(port) + "\n" + p + "Room=ROOM" + char('A' + i) + "\n" + p +
               "Pass=secret\n";
    }
    return ini + "ConnectDTMF=" + connectCode + "\nDisconnectDTMF=" + disconnectCode +
           "\nHelpWmf=CON\nHelpMorse=1\nDisableWmf=BYE\nDisableMorse=1\n"
           "DiscWmf=/nonexistent/room1.wav\nDiscMorse=0\n"
           "IdleMessageTick=1\nnAnnounce=1\nFile0=TWO\nTick0=2\nMorse0=1\n";
}

// A gateway on manual sound devices whose stopwatches run on the test's clock.
struct DutiesGateway {
    // extraIni: the settings for the port of the test's server.
    explicit DutiesGateway(const std::function<std::string(int)>& extraIni,
                           bool autoReconnect = false) {
        ClientSetup setup;
        setup.port = peer.Port();
        setup.autoReconnect = autoReconnect;
        setup.password = "typed";
        setup.extraIni = extraIni(peer.Port());
        harness = std::make_unique<ClientHarness>(setup);
        auto in = std::make_unique<CManualWaveIn>();
        auto out = std::make_unique<CManualWaveOut>();
        waveIn = in.get();
        waveOut = out.get();
        harness->Options().waveIn = std::move(in);
        harness->Options().waveOut = std::move(out);
        harness->Options().clock = &clock;
        harness->Start();
    }

    CClient_TavroDlg& Client() { return harness->Client(); }
    CDialogControls& Controls() { return harness->Controls(); }
    std::vector<std::string>& Notes() { return harness->events.notes; }

    // Keys with 500 ms between them, the timer running meanwhile.
    void Key(const std::string& keys) {
        for (char key : keys) {
            Client().OnDtmfDigit(key);
            Wait(500);
        }
    }
    void Wait(uint32_t ms) {
        for (uint32_t waited = 0; waited < ms; waited += 250) {
            clock.Advance(250);
            Client().OnTimer(kHeartbeatTimer);
        }
    }
    // Notes that begin with prefix, one line each.
    size_t Count(const std::string& prefix) const {
        return harness->events.NotesStartingWith(prefix);
    }
    // The transmitter's audio holds sound, written since buffer `since`; the
    // receiver's audio is silence.
    bool PlaysSound(size_t since) {
        const std::vector<int16_t> silence(kPacketSamples, 0);
        return RunUntil([&] {
            while (waveIn->Fill(silence)) {
            }
            waveOut->Play();
            const auto& written = waveOut->Written();
            return std::any_of(written.begin() + ptrdiff_t(std::min(since, written.size())),
                               written.end(), [](const std::vector<int16_t>& buffer) {
                                   return std::any_of(buffer.begin(), buffer.end(),
                                                      [](int16_t s) { return s != 0; });
                               });
        });
    }

    CManualClock clock{1000};
    CScriptedPeer peer;
    std::unique_ptr<ClientHarness> harness;
    CManualWaveIn* waveIn = nullptr;
    CManualWaveOut* waveOut = nullptr;
};

TEST(AirDuties, DtmfCommandsMoveTheGatewayAndTheirMessagesFollowThreeSecondsLater) {
    DutiesGateway g([](int port) { return DutiesIni(port); });
    g.Controls().SetText(IDC_CONNECT_CODE, "4321"); // the live field counts, not the file
    ASSERT_EQ(g.Controls().Check(IDC_VOX), 1);

    // "*3" while idle does nothing; the keys show, and the VOX box is clear
    // until they are cleared.
    g.Key("*3");
    EXPECT_EQ(g.Controls().Text(IDC_DTMF_DIGITS), "*3");
    EXPECT_EQ(g.Controls().Check(IDC_VOX), 0);
    EXPECT_TRUE(g.Client().Settings().voxEnabled);
    EXPECT_EQ(g.Count("DTMF command *3 ignored: not connected"), 1u);
    g.Wait(2750);
    EXPECT_EQ(g.Controls().Text(IDC_DTMF_DIGITS), "");
    EXPECT_EQ(g.Controls().Check(IDC_VOX), 1);
    EXPECT_TRUE(g.harness->events.attempts.empty());

    // The connect code, keyed in time: preset 0 (its password is not
    // taken), then the connect message.
    g.Key("#4321");
    ASSERT_TRUE(g.harness->WaitForConnections(1));
    auto join = AcceptAndJoin(g.peer, 113);
    ASSERT_TRUE(join);
    EXPECT_EQ(join->room, "ROOMA");
    EXPECT_EQ(join->password, "typed");
    const size_t before = g.waveOut->Written().size();
    g.Wait(2750);
    EXPECT_EQ(g.Count("Announcement (connect message): Morse \"CON\""), 1u);
    // Meanwhile two idle ticks of 1 s (each counted at the first timer past
    // it) have passed: only tick 2 has an announcement.
    EXPECT_EQ(g.Count("Announcement (tick"), 1u);
    EXPECT_EQ(g.Count("Announcement (tick 2): Morse \"TWO\""), 1u);
    EXPECT_EQ(g.Controls().Text(IDC_IDLE_TIMER), "Next Tick (3) in 1 s");
    EXPECT_TRUE(g.PlaysSound(before));

    // "*1" moves to the other room; its message is a file that cannot be loaded.
    g.Key("*1");
    auto moved = ExpectMessage(g.peer, kCmdJoinWithPassword);
    ASSERT_TRUE(moved);
    EXPECT_EQ(As<CJoinMessage>(moved).room, "ROOMB");
    g.Wait(2750);
    ASSERT_TRUE(RunUntil([&] { return !g.harness->prompt.messages.empty(); }));
    const FakeUserPrompt::Message& error = g.harness->prompt.messages.back();
    EXPECT_EQ(error.caption, "File Error");
    EXPECT_EQ(error.text, "Unable to load Wave file /nonexistent/room1.wav\nSupported Format is "
                          "PCM Mono/Stereo any rate\nPlease check your WAV file in Windows "
                          "recorder");

    g.Key("#99");
    EXPECT_FALSE(g.Client().IsConnected());
    g.Wait(2750);
    EXPECT_EQ(g.Count("Announcement (disconnect message): Morse \"BYE\""), 1u);
}

TEST(AirDuties, ALoneHashWithEmptyCodesConnectsThenDisconnects) {
    DutiesGateway g([](int port) { return DutiesIni(port, "", ""); });
    g.Key("#");
    g.Wait(2750);
    EXPECT_EQ(g.Count("DTMF command # (connect code): going to preset 0"), 1u);
    EXPECT_EQ(g.Count("DTMF command # (disconnect code): disconnecting"), 1u);
    EXPECT_EQ(g.Count("Announcement (disconnect message): Morse \"BYE\""), 1u);
    RunFor(kQuietMs);
    EXPECT_FALSE(g.Client().State().Connected());
    EXPECT_TRUE(g.harness->events.connections.empty());
}

TEST(AirDuties, ALostConnectionThatWillBeRestoredPlaysThePresetRoom1Message) {
    DutiesGateway g([](int) { return "DiscWmf=BACK\nDiscMorse=1\n"; }, /*autoReconnect=*/true);
    ASSERT_TRUE(g.harness->Connect());
    ASSERT_TRUE(AcceptAndJoin(g.peer, 113));
    g.peer.Hangup();
    EXPECT_TRUE(
        RunUntil([&] { return g.Count("Announcement (reconnecting): Morse \"BACK\"") == 1; }));

    // The user's own disconnect plays nothing.
    ASSERT_TRUE(g.harness->WaitForConnections(2));
    ASSERT_TRUE(AcceptAndJoin(g.peer, 113));
    g.Client().OnDisconnect();
    EXPECT_EQ(g.Count("Announcement"), 1u);
}

} // namespace
