// Restrictions set by an administration station: mute, kick and ban, by call
// sign or by address, lifted by the administrator or by their end time.

#include "protocol/conference_messages.h"
#include "tests/server/admin_station.h"
#include "tests/server/server_run.h"

#include <gtest/gtest.h>

#include <atomic>

namespace {

using Strings = std::vector<std::string>;

// 1970-01-12 13:46:40 UTC.
constexpr int64_t kStart = 1'000'000;

// A server with administration whose restriction clock the test moves; the
// frequent status reports keep its chores (and so the expiry) running.
class ServerRestrictions : public ::testing::Test {
protected:
    ServerRestrictions() : server_(Options()) {}

    CServerOptions Options() {
        CServerOptions options;
        options.adminPassword = "boss";
        options.adminNotifyInterval = 50ms;
        options.utcSeconds = [this] { return utc_.load(); };
        return options;
    }
    std::unique_ptr<CTestStation> Admin() {
        auto admin = server_.Connect();
        AdminLogin(*admin, "boss");
        EXPECT_NE(NextNotify(*admin), "");
        return admin;
    }
    static void SendPacket(CTestStation& station) {
        const std::vector<uint8_t> bytes(100, 0x5A);
        station.Send(CSoundMessage(bytes.data(), bytes.size(), false));
        station.Send(CDummyMessage(900));
    }

    std::atomic<int64_t> utc_{kStart};
    CServerRun server_;
};

TEST_F(ServerRestrictions, AMutedStationStaysButIsNotHeardUntilTheMuteIsLifted) {
    auto a = server_.Joined("A", "R");
    auto b = server_.Joined("B", "R");
    auto admin = Admin();
    a->Collect(kQuiet);

    // The call sign matches whatever its case.
    SendAdd(*admin, Restriction(kMuted, "a", kStart + 3600, "noise"));
    EXPECT_EQ(NextRestrictions(*admin), "Muted a by Op, Not Restricted B by R");
    EXPECT_EQ(a->Take(1),
              Strings{"text \"You are muted until 1970-01-12 14:46:40 UTC. Reason: noise\""});
    EXPECT_TRUE(server_.WaitForLog("set Muted call sign \"a\" until 1970-01-12 14:46:40 UTC by "
                                   "\"Op\" (\"noise\")"));
    SendPacket(*a);
    EXPECT_EQ(b->Collect(kQuiet), Strings{});
    EXPECT_EQ(WaitForNotify(*admin, "R/A v134 rx1 tx0, R/B v134 rx0 tx0"),
              "R/A v134 rx1 tx0, R/B v134 rx0 tx0");

    SendRemove(*admin, Restriction(kNotRestricted, "A", 0));
    EXPECT_EQ(NextRestrictions(*admin), "Not Restricted A by R, Not Restricted B by R");
    EXPECT_TRUE(server_.WaitForLog("lifted the restriction of call sign \"A\""));
    SendPacket(*a);
    EXPECT_EQ(b->Take(3), (Strings{"talking \"A\"", "users A-on", "sound 100"}));
}

TEST_F(ServerRestrictions, AKickDropsAtOnceAndRefusesJoinsUntilItEnds) {
    auto kicked = server_.Joined("K", "R");
    auto watcher = server_.Joined("W", "R");
    auto admin = Admin();

    SendAdd(*admin, Restriction(kKicked, "K", kStart + 60));
    EXPECT_EQ(kicked->NextOf(kCmdText), "text \"You are kicked until 1970-01-12 13:47:40 UTC.\"");
    EXPECT_TRUE(kicked->WaitForEnd());
    EXPECT_EQ(watcher->NextOf(kCmdOptUserList), "users -K");
    EXPECT_EQ(NextRestrictions(*admin), "Kicked K by Op, Not Restricted W by R");

    for (const char* callSign : {"K", "k"}) {
        auto again = server_.Connect();
        EXPECT_EQ(again->Join(callSign, "R"),
                  Strings{"text \"Access denied: you are kicked until 1970-01-12 13:47:40 UTC.\""});
        EXPECT_TRUE(again->WaitForEnd());
    }
    EXPECT_TRUE(server_.WaitForLog("#5 k disconnected: join refused: Kicked call sign \"K\""));

    // The end passes: the kick lifts itself and the administrator hears of it.
    utc_ = kStart + 60;
    EXPECT_EQ(NextRestrictions(*admin), "Not Restricted W by R");
    EXPECT_TRUE(server_.WaitForLog("restriction ended: Kicked call sign \"K\""));
    auto back = server_.Connect();
    EXPECT_EQ(back->Join("K", "R"), (Strings{"users clear +W +K", "rooms R"}));
}

TEST_F(ServerRestrictions, ABanRefusesJoinsWhateverItsEndUntilRemoved) {
    auto banned = server_.Joined("B", "R");
    auto admin = Admin();

    SendAdd(*admin, Restriction(kBanned, "B", kStart - 1, "spam"));
    EXPECT_EQ(banned->Take(1), Strings{"text \"You are banned. Reason: spam\""});
    EXPECT_TRUE(banned->WaitForEnd());
    EXPECT_EQ(NextRestrictions(*admin), "Banned B by Op");
    utc_ = kStart + 10'000'000;
    auto again = server_.Connect();
    EXPECT_EQ(again->Join("B", "R"),
              Strings{"text \"Access denied: you are banned. Reason: spam\""});

    SendRemove(*admin, Restriction(kNotRestricted, "b", 0));
    EXPECT_EQ(NextRestrictions(*admin), "");
    auto back = server_.Connect();
    EXPECT_EQ(back->Join("B", "R"), (Strings{"users clear +B", "rooms R"}));
}

TEST_F(ServerRestrictions, WithoutACallSignARestrictionMatchesTheAddress) {
    auto station = server_.Joined("A", "R");
    auto admin = Admin();

    SendAdd(*admin, Restriction(kKicked, "", kStart + 60, "", {10, 1, 2, 3}));
    EXPECT_EQ(NextRestrictions(*admin), "Kicked 10.1.2.3 by Op, Not Restricted A by R");
    EXPECT_EQ(station->Collect(kQuiet), Strings{});

    // Every station from the address goes; the administration station stays.
    SendAdd(*admin, Restriction(kKicked, "", kStart + 60, "", {127, 0, 0, 1}));
    EXPECT_TRUE(station->WaitForEnd());
    EXPECT_EQ(NextRestrictions(*admin), "Kicked 10.1.2.3 by Op, Kicked 127.0.0.1 by Op");
    auto other = server_.Connect();
    EXPECT_EQ(other->Join("Z", "R"),
              Strings{"text \"Access denied: you are kicked until 1970-01-12 13:47:40 UTC.\""});
    admin->Send(CMsg(kCmdGetRestrict));
    EXPECT_EQ(NextRestrictions(*admin), "Kicked 10.1.2.3 by Op, Kicked 127.0.0.1 by Op");
}

} // namespace
