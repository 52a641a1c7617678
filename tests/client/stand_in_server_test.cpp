// Two client controllers meet in a room of the stand-in conference server.

#include "client/control_ids.h"
#include "server/stand_in_server.h"
#include "tests/client/client_harness.h"
#include "tests/client/event_loop.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace {

class StandInServerTest : public ::testing::Test {
protected:
    void SetUp() override {
        CServerOptions options;
        options.listen = "127.0.0.1:0";
        options.version = 120;
        options.password = "pw";
        options.welcome = "Welcome to the stand-in";
        options.pingInterval = std::chrono::milliseconds(0);
        server_ = std::make_unique<CStandInServer>(options);
        std::string error;
        ASSERT_TRUE(server_->Start(error)) << error;
    }

    std::unique_ptr<ClientHarness> MakeClient(const std::string& callsign,
                                              const std::string& password = "pw") {
        ClientSetup setup;
        setup.port = server_->Port();
        setup.callsign = callsign;
        setup.password = password;
        auto client = std::make_unique<ClientHarness>(setup);
        client->Start();
        return client;
    }

    // Waits until the client's member list shows exactly these call signs.
    static bool WaitForMembers(ClientHarness& client, std::vector<std::string> callsigns) {
        std::vector<std::string> lines;
        for (const std::string& call : callsigns)
            lines.push_back(call + "\tTest gateway");
        std::sort(lines.begin(), lines.end());
        return RunUntil([&] { return client.ListLines() == lines; });
    }

    static bool WaitForTalker(ClientHarness& client, const std::string& talker) {
        return RunUntil([&] {
            const int selected = client.Controls().CurSel(IDC_MAIN_LIST);
            const std::string line =
                selected < 0 ? "" : client.Controls().ItemText(IDC_MAIN_LIST, selected);
            return client.Client().Talker() == talker && line.rfind(talker, 0) == 0;
        });
    }

    std::unique_ptr<CStandInServer> server_;
};

TEST_F(StandInServerTest, StationsSeeEachOtherAndWhoTalks) {
    auto alpha = MakeClient("G4AAA");
    auto bravo = MakeClient("M0BBB");
    ASSERT_TRUE(alpha->Connect());
    ASSERT_TRUE(WaitForMembers(*alpha, {"G4AAA"}));
    ASSERT_TRUE(bravo->Connect());
    EXPECT_TRUE(WaitForMembers(*alpha, {"G4AAA", "M0BBB"}));
    EXPECT_TRUE(WaitForMembers(*bravo, {"G4AAA", "M0BBB"}));
    for (ClientHarness* client : {alpha.get(), bravo.get()})
        EXPECT_EQ(client->prompt.Texts(), std::vector<std::string>{"Welcome to the stand-in"});

    // Alpha's speech gives it the floor; its end of transmission frees it.
    const std::vector<uint8_t> speech(320, 0x3C);
    alpha->Client().OnCommand(IDC_PTT_START);
    for (int i = 0; i < 3; ++i)
        alpha->Client().TransmitQueue().Add(
            std::make_unique<CSoundPacket>(int(speech.size()), speech.data()));
    EXPECT_TRUE(WaitForTalker(*bravo, "G4AAA"));
    alpha->Client().OnCommand(IDC_PTT_STOP);
    alpha->Client().AdvanceEndOfTransmission();
    alpha->Client().AdvanceEndOfTransmission();
    EXPECT_TRUE(WaitForTalker(*bravo, ""));

    // Alpha leaves; bravo's list follows.
    alpha->Client().OnCommand(IDC_DISCONNECT);
    EXPECT_TRUE(WaitForMembers(*bravo, {"M0BBB"}));
    EXPECT_TRUE(bravo->Client().IsConnected());
}

TEST_F(StandInServerTest, WrongPasswordIsShownAndEndsTheConnection) {
    auto client = MakeClient("G4CCC", "guess");
    // The server hangs up at once, so the connection may be gone by the time
    // the test could look at it.
    client->Client().OnCommand(IDC_CONNECT);
    ASSERT_TRUE(client->WaitForConnections(1));
    ASSERT_TRUE(client->WaitForIdle());
    ASSERT_TRUE(RunUntil([&] { return !client->prompt.messages.empty(); }));
    EXPECT_EQ(client->prompt.Texts(),
              std::vector<std::string>{"Access denied: wrong server password."});
    EXPECT_EQ(client->events.disconnections, std::vector<bool>{false});
    EXPECT_TRUE(client->ListLines().empty());
}

} // namespace
