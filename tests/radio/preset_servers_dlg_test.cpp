#include "radio/edit_preset_dlg.h"
#include "radio/preset_servers_dlg.h"

#include <gtest/gtest.h>

namespace {

const std::vector<CPresetServer> kPresets = {
    {"Home", "", 10024, "UK-1", "home.example.net"},
    {"Club", "secret", 10025, "101", "club.example.net"},
    {"Net", "", 10024, "NET", "net.example.net"},
    {"Test", "", 2000, "T", "127.0.0.1"},
};

std::vector<std::string> Names(const CPresetServersDlg& dlg) {
    std::vector<std::string> names;
    for (const CPresetServer& preset : dlg.Presets())
        names.push_back(preset.name);
    return names;
}

TEST(PresetServersDlg, MovesRemovesAndKeepsTheSelectionOnTheMovedLine) {
    CPresetServersDlg dlg;
    dlg.Open(kPresets, {});
    EXPECT_EQ(dlg.lines, (std::vector<std::string>{"0 : Home", "1 : Club", "2 : Net", "3 : Test"}));

    // Without a selection nothing moves or goes.
    dlg.MoveUp();
    dlg.MoveDown();
    dlg.Remove();
    EXPECT_EQ(dlg.Presets(), kPresets);

    // Line 3 moved up: line 2 holds the preset that was at 3, and the numbers follow.
    dlg.selection = 3;
    dlg.MoveUp();
    EXPECT_EQ(dlg.selection, 2);
    EXPECT_EQ(dlg.Presets()[2], kPresets[3]);
    EXPECT_EQ(dlg.lines, (std::vector<std::string>{"0 : Home", "1 : Club", "2 : Test", "3 : Net"}));

    dlg.MoveDown();
    EXPECT_EQ(dlg.selection, 3);
    EXPECT_EQ(dlg.Presets(), kPresets);
    dlg.MoveDown(); // the last line stays
    EXPECT_EQ(dlg.selection, 3);
    dlg.selection = 0;
    dlg.MoveUp(); // the first line stays
    EXPECT_EQ(dlg.Presets(), kPresets);
    EXPECT_EQ(dlg.selection, 0);

    // Remove keeps the position selected, or the new last line past the end.
    dlg.selection = 1;
    dlg.Remove();
    EXPECT_EQ(Names(dlg), (std::vector<std::string>{"Home", "Net", "Test"}));
    EXPECT_EQ(dlg.selection, 1);
    dlg.selection = 2;
    dlg.Remove();
    EXPECT_EQ(dlg.selection, 1);
    dlg.Remove();
    dlg.Remove();
    EXPECT_TRUE(dlg.Presets().empty());
    EXPECT_TRUE(dlg.lines.empty());
    EXPECT_EQ(dlg.selection, -1);
}

TEST(PresetServersDlg, AddProposesTheWindowsServerAndEditReplacesTheSelected) {
    CPresetServersDlg dlg;
    dlg.Open(kPresets, ProposedPreset("gw.example.org", 10030, "EU-2"));
    CPresetServer seen;
    dlg.Add([&](CEditPresetDlg& edit) {
        EXPECT_EQ(edit.fields.name, "gw.example.org - EU-2");
        EXPECT_EQ(edit.fields.server, "gw.example.org");
        EXPECT_EQ(edit.fields.port, "10030");
        EXPECT_EQ(edit.fields.room, "EU-2");
        EXPECT_EQ(edit.fields.password, "");
        edit.fields.password = "pw";
        return !edit.Ok();
    });
    ASSERT_EQ(dlg.Presets().size(), 5u);
    EXPECT_EQ(dlg.Presets()[4],
              (CPresetServer{"gw.example.org - EU-2", "pw", 10030, "EU-2", "gw.example.org"}));
    EXPECT_EQ(dlg.selection, 4);
    EXPECT_EQ(dlg.lines.back(), "4 : gw.example.org - EU-2");

    // A cancelled Add or Edit changes nothing.
    const std::vector<CPresetServer> before = dlg.Presets();
    auto cancel = [](CEditPresetDlg& edit) {
        edit.fields.name = "Changed";
        return false;
    };
    dlg.Add(cancel);
    dlg.Edit(cancel);
    EXPECT_EQ(dlg.Presets(), before);

    dlg.selection = 1;
    dlg.Edit([&](CEditPresetDlg& edit) {
        EXPECT_EQ(edit.fields.password, "secret");
        edit.fields.name = "";
        edit.fields.port = "7000";
        return !edit.Ok();
    });
    EXPECT_EQ(dlg.Presets()[1], (CPresetServer{"", "secret", 7000, "101", "club.example.net"}));
    EXPECT_EQ(dlg.lines[1], "1 : ");
    EXPECT_EQ(dlg.selection, 1);
}

TEST(EditPresetDlg, APortOutsideOneTo65535KeepsTheDialogOpen) {
    CEditPresetDlg dlg;
    dlg.Open(kPresets[1]);
    for (const char* port : {"0", "65536", "-1", "99999999999"}) {
        dlg.fields.port = port;
        const std::optional<DlgRefusal> refusal = dlg.Ok();
        ASSERT_TRUE(refusal) << port;
        EXPECT_EQ(refusal->message, "Enter an integer between 1 and 65535.") << port;
        EXPECT_EQ(refusal->field, CEditPresetDlg::kPortField);
    }
    dlg.fields.port = "port";
    ASSERT_TRUE(dlg.Ok());
    EXPECT_EQ(dlg.Ok()->message, "Please enter an integer.");
    EXPECT_EQ(dlg.Result(), kPresets[1]); // nothing taken from a refused OK

    dlg.fields.port = "65535";
    EXPECT_FALSE(dlg.Ok());
    EXPECT_EQ(dlg.Result().port, 65535);
}

} // namespace
