// The timed duties: pings, Send ID requests and dropping silent stations. The
// server runs on a clock that the test moves, and the test waits for what each
// move brings before the next one.

#include "protocol/conference_messages.h"
#include "tests/server/server_run.h"

#include <gtest/gtest.h>

namespace {

using Strings = std::vector<std::string>;

TEST(ServerTimers, PingsEveryStationAndAsksJoinedOnesForTheirId) {
    CManualClock clock;
    CServerOptions options;
    options.now = ServerClock(clock);
    options.pingInterval = 10ms;
    options.idInterval = 25ms;
    CServerRun server(options);
    auto joined = server.Joined("A", "R");
    auto greeted = server.Connect();
    ASSERT_EQ(greeted->Take(1), Strings{"version 120"});

    // Pings go to every connection, joined or not, one per interval; Send ID
    // goes to stations in a room only.
    const Strings ping{"Ping"};
    for (const uint32_t at : {10, 20}) {
        clock.Set(at);
        EXPECT_EQ(joined->Take(1), ping) << at;
        EXPECT_EQ(greeted->Take(1), ping) << at;
    }
    clock.Set(25);
    EXPECT_EQ(joined->Take(1), Strings{"Send ID"});
    EXPECT_TRUE(server.WaitForLog("Send ID to 1 stations"));
    for (const uint32_t at : {30, 40}) {
        clock.Set(at);
        EXPECT_EQ(joined->Take(1), ping) << at;
        EXPECT_EQ(greeted->Take(1), ping) << at;
    }
    clock.Set(50);
    EXPECT_EQ(joined->Take(2), (Strings{"Ping", "Send ID"}));
    EXPECT_EQ(greeted->Take(1), ping);
    EXPECT_EQ(joined->Collect(kQuiet), Strings{});
    EXPECT_EQ(greeted->Collect(kQuiet), Strings{});
}

TEST(ServerTimers, NeverPingsOrAsksForIdWhenTheIntervalIsZero) {
    CManualClock clock;
    CServerOptions options;
    options.now = ServerClock(clock);
    options.pingInterval = 0ms;
    options.idInterval = 0ms;
    // Short enough that the chores look at the moved clock at once.
    options.adminNotifyInterval = 10ms;
    CServerRun server(options);
    auto joined = server.Joined("A", "R");
    clock.Advance(50'000);
    EXPECT_EQ(joined->Collect(kQuiet), Strings{});
}

// Any message counts as activity, even one that the server ignores; the test
// waits until the server has read it.
void SendText(CServerRun& server, CTestStation& station, const std::string& from, int number) {
    CTextMessage text;
    text.text = std::to_string(number);
    station.Send(text);
    ASSERT_TRUE(
        server.WaitForLog(from + " sent \"Text : \"" + text.text + "\" \", which is ignored"));
}

TEST(ServerTimers, DropsAStationThatSendsNothingForTheIdleTimeout) {
    CManualClock clock;
    CServerOptions options;
    options.now = ServerClock(clock);
    options.idleTimeout = 40ms;
    CServerRun server(options);
    auto silent = server.Joined("QUIET", "R");
    auto talker = server.Joined("BUSY", "R");

    clock.Set(30);
    SendText(server, *talker, "BUSY", 1);
    clock.Set(39);
    EXPECT_FALSE(silent->WaitForEnd(kQuiet));
    clock.Set(40);
    EXPECT_TRUE(silent->WaitForEnd());
    EXPECT_EQ(talker->NextOf(kCmdOptUserList), "users -QUIET");
    EXPECT_TRUE(server.WaitForLog("#1 QUIET disconnected: sent nothing for 0.04 s"));

    // The talker stays as long as it sends within the time-out, and goes a
    // time-out after its last message.
    for (int i = 2; i <= 4; ++i) {
        SendText(server, *talker, "BUSY", i);
        clock.Advance(39);
    }
    EXPECT_FALSE(talker->WaitForEnd(kQuiet));
    clock.Advance(1);
    EXPECT_TRUE(talker->WaitForEnd());
    EXPECT_TRUE(server.WaitForLog("#2 BUSY disconnected: sent nothing for 0.04 s"));
}

} // namespace
