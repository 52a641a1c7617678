// An administrator at the administration layout restricts a station of a
// stand-in server through the restrictions editor, and lifts it again.

#include "client/control_ids.h"
#include "radio/restriction_editor.h"
#include "server/stand_in_server.h"
#include "tests/client/client_harness.h"
#include "tests/client/event_loop.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace {

// The editor's line of a call sign, or -1.
int LineOf(const CRestrictionEditEx& editor, const std::string& callSign) {
    for (size_t line = 0; line < editor.LineCount(); ++line)
        if (editor.Record(line).callSign == callSign)
            return int(line);
    return -1;
}

TEST(AdminEndToEnd, AnAdministratorMutesKicksAndRestoresAStation) {
    CServerOptions serverOptions;
    serverOptions.listen = "127.0.0.1:0";
    serverOptions.adminPassword = "pw";
    CStandInServer server(serverOptions);
    std::string error;
    ASSERT_TRUE(server.Start(error)) << error;

    ClientSetup stationSetup;
    stationSetup.port = server.Port();
    stationSetup.callsign = "M0BAD";
    ClientHarness station(stationSetup);
    station.Start();
    ASSERT_TRUE(station.Connect());

    ClientSetup adminSetup;
    adminSetup.port = server.Port();
    adminSetup.callsign = "G0ADM";
    adminSetup.extraIni = "PASS=pw\n";
    ClientHarness admin(adminSetup);
    admin.Options().templateId = kAdminTemplate;
    CRestrictionEditEx* editor = nullptr;
    admin.Options().runRestrictionEditor = [&](CRestrictionEditEx& opened) {
        editor = &opened;
        opened.Open({100, 100, 100, 100, 100, 100, 100});
    };
    admin.Start();
    ASSERT_TRUE(admin.Connect());
    ASSERT_TRUE(RunUntil([&] { return admin.Controls().IsEnabled(IDC_RESTRICTIONS); }));
    admin.Client().OnCommand(IDC_RESTRICTIONS);
    ASSERT_NE(editor, nullptr);
    ASSERT_TRUE(RunUntil([&] { return LineOf(*editor, "M0BAD") >= 0; }))
        << "the server lists its stations";

    const auto restrict = [&](void (CRestrictionEditEx::*action)(const CRestrictionEditEx::CommentRunner&),
                              int32_t kind) {
        editor->SetSelection({size_t(LineOf(*editor, "M0BAD"))});
        (editor->*action)([](CRestrictionComment& comment) {
            comment.reason = "testing";
            return true;
        });
        return RunUntil([&] {
            const int line = LineOf(*editor, "M0BAD");
            return line >= 0 && editor->Record(size_t(line)).restriction == kind;
        });
    };
    // Muted: the station stays in its room.
    ASSERT_TRUE(restrict(&CRestrictionEditEx::Mute, kMuted));
    EXPECT_TRUE(station.Client().IsConnected());

    // Kicked: dropped at once, and its join refused while the kick lasts.
    ASSERT_TRUE(restrict(&CRestrictionEditEx::Kick, kKicked));
    EXPECT_TRUE(station.WaitForIdle());
    station.Client().OnCommand(IDC_CONNECT);
    EXPECT_TRUE(RunUntil([&] { return !station.prompt.messages.empty(); }))
        << "the refusal is shown as a text";
    EXPECT_TRUE(station.WaitForIdle());

    // Restored: it joins again.
    editor->SetSelection({size_t(LineOf(*editor, "M0BAD"))});
    editor->Restore();
    // The station is in no room now, so the server no longer lists it.
    ASSERT_TRUE(RunUntil([&] {
        const int line = LineOf(*editor, "M0BAD");
        return line < 0 || editor->Record(size_t(line)).restriction == kNotRestricted;
    }));
    ASSERT_TRUE(station.Connect());
    EXPECT_TRUE(RunUntil([&] { return station.ListLines().size() == 1; }))
        << "back in its room";
    server.Stop();
}

} // namespace
