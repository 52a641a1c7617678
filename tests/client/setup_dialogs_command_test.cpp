// The preset "Edit..." and "Setup RF Announcements..." commands run their
// dialogs on copies and take the result over only on OK.

#include "client/control_ids.h"
#include "platform/ini_file.h"
#include "radio/announcements_dlg.h"
#include "radio/preset_servers_dlg.h"
#include "tests/client/client_harness.h"

#include <gtest/gtest.h>

namespace {

constexpr char kTwoPresets[] = "nPreset=2\n"
                               "P0Name=Home\nP0Server=home.example.net\nP0Port=10024\nP0Room=UK-1\n"
                               "P1Name=Club\nP1Server=club.example.net\nP1Port=10025\nP1Room=101\n";

std::vector<std::string> PresetLines(ClientHarness& harness) {
    std::vector<std::string> lines;
    for (int i = 0; i < harness.Controls().Count(IDC_PRESETS); ++i)
        lines.push_back(harness.Controls().ItemText(IDC_PRESETS, i));
    return lines;
}

TEST(SetupDialogsCommand, EditPresetsTakesTheListOverOnOk) {
    CScriptedPeer peer;
    ClientSetup setup;
    setup.port = peer.Port();
    setup.room = "EU-2";
    setup.extraIni = kTwoPresets;
    ClientHarness harness(setup);
    bool ok = false;
    std::string proposedName;
    harness.Options().runPresetServersDialog = [&](CPresetServersDlg& dialog) {
        dialog.Add([&](CEditPresetDlg& edit) {
            proposedName = edit.fields.name;
            return !edit.Ok();
        });
        dialog.selection = 1;
        dialog.MoveUp();
        return ok;
    };
    harness.Start();
    const std::vector<CPresetServer> loaded = harness.Client().Settings().presets;
    ASSERT_GE(loaded.size(), 2u);
    const std::vector<std::string> loadedLines = PresetLines(harness);

    // Cancel changes nothing.
    harness.Client().OnCommand(IDC_EDIT_PRESETS);
    EXPECT_EQ(harness.Client().Settings().presets, loaded);
    EXPECT_EQ(PresetLines(harness), loadedLines);
    EXPECT_EQ(proposedName, "127.0.0.1 - EU-2");

    // OK while connected: the list is taken over, shown again, and the focus
    // goes to push-to-talk.
    ASSERT_TRUE(harness.Connect());
    ASSERT_TRUE(AcceptAndJoin(peer, 113));
    harness.Controls().SetFocus(IDC_SERVER);
    ok = true;
    harness.Client().OnCommand(IDC_EDIT_PRESETS);
    const std::vector<CPresetServer>& taken = harness.Client().Settings().presets;
    ASSERT_EQ(taken.size(), loaded.size() + 1);
    EXPECT_EQ(taken[0], loaded[1]);
    EXPECT_EQ(taken[1], loaded[0]);
    EXPECT_EQ(taken.back().server, "127.0.0.1");
    const std::vector<std::string> lines = PresetLines(harness);
    ASSERT_EQ(lines.size(), taken.size());
    EXPECT_EQ(lines[0], "0 : Club");
    EXPECT_EQ(lines[1], "1 : Home");
    EXPECT_EQ(lines.back(), std::to_string(lines.size() - 1) + " : 127.0.0.1 - EU-2");
    EXPECT_EQ(harness.Controls().Focus(), IDC_PTT);

    // DTMF moves name presets by their new numbers: "*0" is now the club.
    harness.Client().OnDtmfDigit('*');
    harness.Client().OnDtmfDigit('0');
    EXPECT_EQ(harness.Client().Settings().serverHost, "club.example.net");
    EXPECT_EQ(harness.Client().Settings().room, "101");
}

TEST(SetupDialogsCommand, AnnouncementsOkSavesAndCancelChangesNothing) {
    ClientSetup setup;
    setup.extraIni = "IdleMessageTick=60\n";
    ClientHarness harness(setup);
    bool ok = false;
    harness.Options().runAnnouncementsDialog = [&](CAnnouncementsDlg& dialog) {
        dialog.New([](CEditAnnouncementDlg& edit) {
            edit.fields.tick = "3";
            edit.fields.file = "QRV";
            edit.fields.morse = true;
            return !edit.Ok();
        });
        dialog.fields.tickSeconds = "45";
        return ok && !dialog.Ok();
    };
    harness.Start();
    const ClientSettings before = harness.Client().Settings();
    harness.Client().OnCommand(IDC_ANNOUNCEMENTS);
    EXPECT_EQ(harness.Client().Settings(), before);

    ok = true;
    harness.Client().OnCommand(IDC_ANNOUNCEMENTS);
    EXPECT_EQ(harness.Client().Settings().announcementTickSeconds, 45);
    EXPECT_EQ(harness.Client().Settings().announcements,
              (std::vector<CAnnounceMent>{{1, "QRV", 3}}));
    // Saved at once, not only at exit.
    CIniFile file;
    ASSERT_TRUE(file.Load(harness.SettingsPath()));
    EXPECT_EQ(file.GetInt(kClientSection, "IdleMessageTick", 0), 45);
    EXPECT_EQ(file.GetText(kClientSection, "File0", ""), "QRV");
}

} // namespace
