// Joining rooms: the greeting, the member lists each kind of join gets, the
// welcome text, room changes, the active rooms list and the password.

#include "protocol/conference_messages.h"
#include "tests/server/server_run.h"

#include <gtest/gtest.h>

namespace {

using Strings = std::vector<std::string>;

TEST(ServerJoin, ListsMembersAsEachJoinCommandExpects) {
    CServerOptions options;
    options.version = 117;
    options.welcome = "Hello";
    CServerRun server(options);

    auto a = server.Connect();
    EXPECT_EQ(a->Take(1), Strings{"version 117"});
    EXPECT_EQ(a->Rejoin("A1", "R", kCmdJoinWithPassword, "", "alpha"),
              (Strings{"text \"Hello\"", "users clear +A1(alpha)", "rooms R"}));
    EXPECT_TRUE(server.WaitForLog("#1 A1 joined room \"R\" with command 26"));

    // A command-4 station gets the whole list, now and on every change.
    auto b = server.Connect();
    EXPECT_EQ(b->Join("B2", "R", kCmdJoin, "", "bravo"),
              (Strings{"text \"Hello\"", "list A1(alpha) B2(bravo)", "rooms R"}));
    EXPECT_EQ(a->Take(1), Strings{"users +B2(bravo)"});

    auto c = server.Connect();
    EXPECT_EQ(c->Join("C3", "R"),
              (Strings{"text \"Hello\"", "users clear +A1(alpha) +B2(bravo) +C3", "rooms R"}));
    EXPECT_EQ(a->Take(1), Strings{"users +C3"});
    EXPECT_EQ(b->Take(1), Strings{"list A1(alpha) B2(bravo) C3"});

    // Moving to a new room: the old room hears of the leaving, every station
    // of the new set of rooms, and the welcome is not repeated.
    EXPECT_EQ(c->Rejoin("C3", "S"), (Strings{"users clear +C3", "rooms R S"}));
    EXPECT_EQ(a->Take(2), (Strings{"users -C3", "rooms R S"}));
    EXPECT_EQ(b->Take(2), (Strings{"list A1(alpha) B2(bravo)", "rooms R S"}));

    // A join into a room that already exists changes no room set: only the
    // newcomer gets the rooms list.
    auto d = server.Connect();
    EXPECT_EQ(d->Join("D4", "S"), (Strings{"text \"Hello\"", "users clear +C3 +D4", "rooms R S"}));
    EXPECT_EQ(c->Take(1), Strings{"users +D4"});

    // Leaving with Bye empties nothing yet; the last one out of S does.
    c->Send(CMsg(kCmdBye));
    EXPECT_TRUE(c->WaitForEnd());
    EXPECT_EQ(d->Take(1), Strings{"users -C3"});
    EXPECT_TRUE(server.WaitForLog("#3 C3 disconnected: said Bye"));
    d->Send(CMsg(kCmdBye));
    EXPECT_EQ(a->Take(1), Strings{"rooms R"});
    EXPECT_EQ(b->Take(1), Strings{"rooms R"});
    EXPECT_EQ(a->Collect(kQuiet), Strings{});
    EXPECT_EQ(b->Collect(kQuiet), Strings{});
}

TEST(ServerJoin, ANewConnectionWithTheSameCallSignReplacesTheOld) {
    CServerRun server;
    auto old = server.Joined("DUP", "R");
    auto watcher = server.Joined("W", "R");
    EXPECT_EQ(old->Take(1), Strings{"users +W"});

    auto renewed = server.Connect();
    EXPECT_EQ(renewed->Join("DUP", "R"), (Strings{"users clear +W +DUP", "rooms R"}));
    EXPECT_TRUE(old->WaitForEnd());
    // Removed before added again: a list keyed by name ends up holding DUP.
    EXPECT_EQ(watcher->Take(2), (Strings{"users -DUP", "users +DUP"}));
    EXPECT_TRUE(server.WaitForLog("#1 DUP disconnected: replaced by #3 DUP"));
}

TEST(ServerJoin, RefusesJoinsWithoutTheRightPassword) {
    CServerOptions options;
    options.password = "secret";
    options.welcome = "Hello";
    CServerRun server(options);

    auto member = server.Connect();
    EXPECT_EQ(member->Join("OK1", "R", kCmdJoinWithPassword, "secret"),
              (Strings{"text \"Hello\"", "users clear +OK1", "rooms R"}));

    auto wrong = server.Connect();
    EXPECT_EQ(wrong->Join("BAD", "R", kCmdJoinWithPassword, "guess"),
              Strings{"text \"Access denied: wrong server password.\""});
    EXPECT_TRUE(wrong->WaitForEnd());
    EXPECT_TRUE(server.WaitForLog("disconnected: wrong password with command 26 as BAD"));

    // A command-4 join cannot carry the password.
    auto old = server.Connect();
    EXPECT_EQ(old->Join("OLD", "R", kCmdJoin),
              Strings{"text \"Access denied: wrong server password.\""});
    EXPECT_TRUE(old->WaitForEnd());

    EXPECT_EQ(member->Collect(kQuiet), Strings{});
}

} // namespace
