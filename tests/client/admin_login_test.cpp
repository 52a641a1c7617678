// The administration layout logs in with the administrator's password
// instead of joining a room, and shows each station's status line.

#include "client/control_ids.h"
#include "client/program_version.h"
#include "protocol/admin_messages.h"
#include "tests/client/client_harness.h"
#include "tests/client/event_loop.h"
#include "tests/support/fake_serial_port.h"

#include <gtest/gtest.h>

namespace {

TEST(AdminLogin, DependsOnTheServerVersion) {
    struct Case {
        int32_t serverVersion;
        bool loggedIn;
        bool versionEx;
        bool restrictions;
    };
    for (const Case& c : {Case{106, false, false, false}, Case{107, true, false, false},
                          Case{108, true, true, true}, Case{113, true, true, true}}) {
        SCOPED_TRACE(c.serverVersion);
        CScriptedPeer peer;
        ClientSetup setup;
        setup.port = peer.Port();
        setup.password = "room-password";
        // The gateway's own rig settings: administration must not open its port.
        setup.extraIni = std::string("PASS=admin-secret\n") + kRtsKeyingIni;
        CFakeSerialDevice serial;
        int portsMade = 0;
        ClientHarness harness(setup);
        harness.Options().templateId = kAdminTemplate;
        harness.Options().serialPortFactory = [&portsMade, factory = serial.Factory()] {
            ++portsMade;
            return factory();
        };
        harness.Start();
        EXPECT_FALSE(harness.Controls().IsEnabled(IDC_RESTRICTIONS));
        EXPECT_EQ(portsMade, 0);
        ASSERT_TRUE(harness.Connect());
        ASSERT_TRUE(peer.Accept(kWaitMs));
        ASSERT_TRUE(ExpectMessage(peer, kCmdVersion));

        CVersionMessage serverVersion;
        serverVersion.version = c.serverVersion;
        peer.Send(serverVersion);
        if (!c.loggedIn) {
            EXPECT_TRUE(harness.WaitForIdle()) << "a server too old for administration";
            EXPECT_EQ(harness.events.NotesStartingWith("The server is too old"), 1u);
            continue;
        }
        if (c.versionEx) {
            auto ex = ExpectMessage(peer, kCmdVersionEx);
            ASSERT_TRUE(ex);
            EXPECT_EQ(As<CVersionMessage>(ex).version, ProgramVersionNumber());
        }
        auto request = ExpectMessage(peer, kCmdAdminRequest);
        ASSERT_TRUE(request);
        EXPECT_EQ(As<CAdminRequestMessage>(request).password, "admin-secret");
        EXPECT_FALSE(peer.Read(kQuietMs)) << "no join";
        EXPECT_EQ(RunUntil([&] { return harness.Controls().IsEnabled(IDC_RESTRICTIONS); }, kQuietMs),
                  c.restrictions);

        // Each notify rewrites the list, one status line per station, and
        // logs the lines.
        CAdminNotifyMessage notify;
        for (const char* call : {"G4AAA", "M0BBB"}) {
            auto station = std::make_unique<CAdminUserStuff>();
            station->group = "UK-1";
            station->name = call;
            notify.stations.push_back(std::move(station));
        }
        peer.Send(notify);
        ASSERT_TRUE(RunUntil([&] { return harness.Controls().Count(IDC_MAIN_LIST) == 2; }));
        std::string previousGroup;
        const std::string first = notify.stations[0]->StatusLine(previousGroup);
        const std::string second = notify.stations[1]->StatusLine(previousGroup);
        // The list box sorts its lines, as it does the members'.
        EXPECT_GE(harness.Controls().FindStringExact(IDC_MAIN_LIST, first), 0);
        EXPECT_GE(harness.Controls().FindStringExact(IDC_MAIN_LIST, second), 0);
        EXPECT_EQ(harness.events.NotesStartingWith(first), 1u);
        EXPECT_EQ(harness.events.NotesStartingWith(second), 1u);
    }
}

} // namespace
