// The timed duties: pings, Send ID requests and dropping silent stations.

#include "protocol/conference_messages.h"
#include "tests/server/server_run.h"

#include <gtest/gtest.h>

namespace {

using Strings = std::vector<std::string>;
using Clock = std::chrono::steady_clock;

TEST(ServerTimers, PingsEveryStationAndAsksJoinedOnesForTheirId) {
    CServerOptions options;
    options.pingInterval = 100ms;
    options.idInterval = 250ms;
    CServerRun server(options);
    auto joined = server.Joined("A", "R");
    auto greeted = server.Connect();

    // Pings go to every connection, joined or not, one per interval.
    const Clock::time_point start = Clock::now();
    for (int i = 0; i < 4; ++i)
        EXPECT_EQ(greeted->NextOf(kCmdPing), "Ping");
    EXPECT_GE(Clock::now() - start, 250ms);

    // Send ID goes to stations in a room only.
    EXPECT_EQ(joined->NextOf(kCmdSendId), "Send ID");
    EXPECT_EQ(joined->NextOf(kCmdSendId), "Send ID");
    const Strings seen = greeted->Collect(kQuiet);
    EXPECT_EQ(std::count(seen.begin(), seen.end(), "Send ID"), 0);
    EXPECT_TRUE(server.WaitForLog("Send ID to 1 stations"));
}

TEST(ServerTimers, NeverPingsOrAsksForIdWhenTheIntervalIsZero) {
    CServerOptions options;
    options.pingInterval = 0ms;
    options.idInterval = 0ms;
    CServerRun server(options);
    auto joined = server.Joined("A", "R");
    EXPECT_EQ(joined->Collect(300ms), Strings{});
}

TEST(ServerTimers, DropsAStationThatSendsNothingForTheIdleTimeout) {
    CServerOptions options;
    options.idleTimeout = 400ms;
    CServerRun server(options);
    auto silent = server.Joined("QUIET", "R");
    const Clock::time_point lastSent = Clock::now();
    auto talker = server.Joined("BUSY", "R");

    // Any message counts as activity: pings here.
    bool silentGone = false;
    while (!silentGone && Clock::now() - lastSent < 3s) {
        talker->Send(CMsg(kCmdPing));
        silentGone = silent->WaitForEnd(100ms);
    }
    EXPECT_TRUE(silentGone);
    EXPECT_GE(Clock::now() - lastSent, 300ms);
    EXPECT_EQ(talker->NextOf(kCmdOptUserList), "users -QUIET");
    EXPECT_TRUE(server.WaitForLog("#1 QUIET disconnected: sent nothing for 0.4 s"));
    for (int i = 0; i < 6; ++i) {
        talker->Send(CMsg(kCmdPing));
        std::this_thread::sleep_for(100ms);
    }
    EXPECT_EQ(talker->Collect(kQuiet), Strings{});
}

} // namespace
