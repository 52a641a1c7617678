// Administration stations: the log-in, the status reports they receive and
// the commands that only they may send.

#include "protocol/conference_messages.h"
#include "tests/server/admin_station.h"
#include "tests/server/server_run.h"

#include <gtest/gtest.h>

namespace {

using Strings = std::vector<std::string>;

CSoundMessage Sound(size_t length) {
    const std::vector<uint8_t> bytes(length, 0x5A);
    return CSoundMessage(bytes.data(), bytes.size(), false);
}

TEST(ServerAdmin, OnlyTheAdministratorPasswordMakesAnAdministrationStation) {
    CServerOptions options;
    options.adminPassword = "boss";
    options.adminNotifyInterval = 0ms;
    CServerRun server(options);
    auto member = server.Joined("A", "R");

    // It joins no room: it gets the status report and the room hears nothing.
    auto admin = server.Connect();
    AdminLogin(*admin, "boss");
    const std::unique_ptr<CMsg> first = admin->Next();
    ASSERT_TRUE(first && first->command == kCmdAdminNotify);
    EXPECT_EQ(NotifySummary(*first), "R/A v134 rx0 tx0");
    EXPECT_EQ(member->Collect(kQuiet), Strings{});
    EXPECT_TRUE(server.WaitForLog("logged in as an administration station"));

    auto wrong = server.Connect();
    AdminLogin(*wrong, "guess");
    EXPECT_EQ(wrong->Take(1), Strings{"text \"Access denied: wrong administrator password.\""});
    EXPECT_TRUE(wrong->WaitForEnd());
    EXPECT_TRUE(server.WaitForLog("disconnected: wrong administrator password"));

    // A server without the option refuses every administration station.
    CServerRun plain;
    for (const char* password : {"", "boss"}) {
        auto refused = plain.Connect();
        AdminLogin(*refused, password);
        EXPECT_EQ(refused->Take(1),
                  Strings{"text \"Access denied: this server has no administration.\""});
        EXPECT_TRUE(refused->WaitForEnd());
    }
    EXPECT_EQ(admin->Collect(kQuiet), Strings{});
}

TEST(ServerAdmin, TheStatusReportComesWhenStationsJoinOrLeave) {
    CServerOptions options;
    options.adminPassword = "boss";
    options.adminNotifyInterval = 0ms;
    CServerRun server(options);
    auto a = server.Joined("A", "R");
    auto b = server.Joined("B", "R", kCmdJoin);
    auto c = server.Joined("C", "S");
    auto admin = server.Connect();
    AdminLogin(*admin, "boss");
    EXPECT_EQ(NextNotify(*admin), "R/A v134 rx0 tx0, R/B v134 rx0 tx0, S/C v134 rx0 tx0");

    // A takes the floor with two packets; B receives both.
    for (int i = 0; i < 2; ++i) {
        a->Send(Sound(100));
        a->Send(CDummyMessage(900));
    }
    EXPECT_EQ(b->NextOf(kCmdSound), "sound 100");
    EXPECT_EQ(b->NextOf(kCmdSound), "sound 100");

    auto d = server.Joined("D", "R");
    EXPECT_EQ(NextNotify(*admin),
              "R/A* v134 rx2 tx0, R/B v134 rx0 tx2, R/D v134 rx0 tx0, S/C v134 rx0 tx0");
    b->Send(CMsg(kCmdBye));
    EXPECT_EQ(NextNotify(*admin), "R/A* v134 rx2 tx0, R/D v134 rx0 tx0, S/C v134 rx0 tx0");
    EXPECT_EQ(admin->Collect(kQuiet), Strings{});
}

TEST(ServerAdmin, TheStatusReportRepeatsAndCarriesAnsweredPings) {
    CServerOptions options;
    options.adminPassword = "boss";
    options.adminNotifyInterval = 100ms;
    options.pingInterval = 100ms;
    CServerRun server(options);
    auto answers = server.Joined("A", "R");
    auto silent = server.Joined("B", "R");
    auto admin = server.Connect();
    AdminLogin(*admin, "boss");
    EXPECT_EQ(NextNotify(*admin), "R/A v134 rx0 tx0, R/B v134 rx0 tx0");

    EXPECT_EQ(answers->NextOf(kCmdPing), "Ping");
    answers->Send(CMsg(kCmdPing));
    EXPECT_EQ(WaitForNotify(*admin, "R/A v134 rx0 tx0 ping, R/B v134 rx0 tx0"),
              "R/A v134 rx0 tx0 ping, R/B v134 rx0 tx0");
}

TEST(ServerAdmin, RestrictionCommandsFromOtherStationsAreIgnored) {
    CServerOptions options;
    options.adminPassword = "boss";
    CServerRun server(options);
    auto a = server.Joined("A", "R");
    auto b = server.Joined("B", "R");
    a->Collect(kQuiet);

    a->Send(CMsg(kCmdGetRestrict));
    SendAdd(*a, Restriction(kKicked, "B", 0x7fffffff));
    SendRemove(*a, Restriction(kNotRestricted, "B", 0));
    EXPECT_TRUE(server.WaitForLog(
        "#1 A sent \"Remove Restriction Message\", which only administration stations may send"));
    EXPECT_EQ(a->Collect(kQuiet), Strings{});
    EXPECT_EQ(b->Collect(kQuiet), Strings{});

    // Nothing was set: the list holds the two members, as the editor shows
    // stations it may restrict.
    auto admin = server.Connect();
    AdminLogin(*admin, "boss");
    admin->Send(CMsg(kCmdGetRestrict));
    const std::unique_ptr<CMsg> list = NextWith(*admin, kCmdListRestrictions);
    ASSERT_TRUE(list);
    EXPECT_EQ(RestrictionsSummary(*list), "Not Restricted A by R, Not Restricted B by R");
    const CRestrictedUserInfo& first =
        *static_cast<const CListRestrictionsMessage&>(*list).restrictions[0];
    EXPECT_EQ(first.id, 7u);
    EXPECT_EQ(first.address, (std::array<int32_t, 4>{127, 0, 0, 1}));
}

} // namespace
