#include "client/control_ids.h"
#include "client/field_exchange.h"
#include "tests/client/fake_user_prompt.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

using ::testing::ElementsAre;
using ::testing::IsEmpty;

namespace {

ClientSettings StationSettings() {
    ClientSettings s;
    s.serverHost = "conf.example.net";
    s.serverPort = 5200;
    s.serverPassword = "secret";
    s.callsign = "G4ABC";
    s.comment = "Gateway Leeds";
    s.room = "UK-2";
    s.idText = "g4abc-l";
    s.courtesyText = "R";
    s.cwSpeedWpm = 22;
    s.cwToneHz = 800;
    s.cwVolume = 12000;
    s.squelchSettlingMs = 450;
    s.courtesyEnabled = true;
    s.forceIdEnabled = true;
    s.idIfIdleEnabled = false;
    s.autoReconnect = true;
    s.dialUpOnConnect = false;
    s.alcEnabled = false;
    return s;
}

class FieldExchangeTest : public ::testing::Test {
protected:
    FieldExchangeTest() {
        controls.SetSorted(IDC_TALK_GROUP, true);
        controls.AddString(IDC_TALK_GROUP, "UK-1");
        controls.AddString(IDC_TALK_GROUP, "UK-2");
        LoadFields(controls, StationSettings());
    }

    bool Save(bool showCallsignMessages = true) {
        return SaveFields(controls, saved, prompt, showCallsignMessages);
    }

    CDialogControls controls;
    ClientSettings saved;
    FakeUserPrompt prompt;
};

TEST_F(FieldExchangeTest, LoadedFieldsSaveBackUnchanged) {
    EXPECT_EQ(controls.Text(IDC_PORT), "5200");
    EXPECT_EQ(controls.Text(IDC_CW_VOLUME), "12000");
    EXPECT_EQ(controls.Check(IDC_FORCE_ID), 1);
    EXPECT_EQ(controls.Check(IDC_ID_IF_IDLE), 0);
    EXPECT_EQ(controls.ItemText(IDC_TALK_GROUP, controls.CurSel(IDC_TALK_GROUP)), "UK-2");

    controls.SetText(IDC_CONNECT_CODE, "123");
    controls.SetText(IDC_DISCONNECT_CODE, "456");
    ASSERT_TRUE(Save());
    ClientSettings expected = StationSettings();
    expected.connectCode = "123";
    expected.disconnectCode = "456";
    EXPECT_EQ(saved, expected);
    EXPECT_THAT(prompt.messages, IsEmpty());

    // The DTMF codes go one way only.
    LoadFields(controls, StationSettings());
    EXPECT_EQ(controls.Text(IDC_CONNECT_CODE), "123");
}

TEST_F(FieldExchangeTest, CallsignIsUpperCasedAndWrittenBack) {
    controls.SetText(IDC_CALLSIGN, "g4xyz");
    ASSERT_TRUE(Save());
    EXPECT_EQ(saved.callsign, "G4XYZ");
    EXPECT_EQ(controls.Text(IDC_CALLSIGN), "G4XYZ");

    controls.SetText(IDC_CALLSIGN, "2e0abc");
    ASSERT_TRUE(Save());
    EXPECT_EQ(saved.callsign, "2E0ABC");
    EXPECT_THAT(prompt.messages, IsEmpty());
}

TEST_F(FieldExchangeTest, BadCallsignsAreRefusedWithTheirMessageDuringConnect) {
    saved.callsign = "KEEP";
    controls.SetText(IDC_CALLSIGN, " g4abc");
    EXPECT_FALSE(Save());
    controls.SetText(IDC_CALLSIGN, "-G4ABC");
    EXPECT_FALSE(Save());
    controls.SetText(IDC_CALLSIGN, "");
    EXPECT_FALSE(Save());
    EXPECT_THAT(prompt.Texts(),
                ElementsAre("Callsign Must start with a Letter or a Number",
                            "Callsign Must start with a Letter or a Number", "Callsign blank!"));
    EXPECT_EQ(prompt.messages[0].icon, IUserPrompt::Icon::Stop);
    EXPECT_EQ(saved.callsign, "KEEP");
    // A refused callsign is not upper-cased in its field.
    controls.SetText(IDC_CALLSIGN, " g4abc");
    EXPECT_FALSE(Save());
    EXPECT_EQ(controls.Text(IDC_CALLSIGN), " g4abc");
    EXPECT_EQ(controls.Focus(), IDC_CALLSIGN);
}

TEST_F(FieldExchangeTest, CallsignMessagesAreSilentOutsideAConnect) {
    controls.SetText(IDC_CALLSIGN, "");
    EXPECT_FALSE(Save(false));
    controls.SetText(IDC_CALLSIGN, "/P");
    EXPECT_FALSE(Save(false));
    EXPECT_THAT(prompt.messages, IsEmpty());

    // The length limit is the framework's check and always speaks.
    controls.SetText(IDC_CALLSIGN, "G4ABCDEFGHI");
    EXPECT_FALSE(Save(false));
    EXPECT_THAT(prompt.Texts(), ElementsAre("Enter no more than 10 characters."));
    controls.SetText(IDC_CALLSIGN, "G4ABCDEFGH");
    EXPECT_TRUE(Save(false));
}

TEST_F(FieldExchangeTest, PortOutsideItsRangeOrNotANumberIsRefused) {
    saved.serverPort = 1;
    for (const char* text : {"0", "65536", "99999999999", "-1"}) {
        controls.SetText(IDC_PORT, text);
        EXPECT_FALSE(Save()) << text;
    }
    controls.SetText(IDC_PORT, "52x");
    EXPECT_FALSE(Save());
    controls.SetText(IDC_PORT, "");
    EXPECT_FALSE(Save());
    EXPECT_THAT(prompt.Texts(),
                ElementsAre("Enter an integer between 1 and 65535.",
                            "Enter an integer between 1 and 65535.",
                            "Enter an integer between 1 and 65535.",
                            "Enter an integer between 1 and 65535.", "Please enter an integer.",
                            "Please enter an integer."));
    EXPECT_EQ(prompt.messages[0].icon, IUserPrompt::Icon::Stop);
    EXPECT_EQ(saved.serverPort, 1);
    EXPECT_EQ(controls.Focus(), IDC_PORT);

    controls.SetText(IDC_PORT, " 65535 ");
    ASSERT_TRUE(Save());
    EXPECT_EQ(saved.serverPort, 65535);
}

TEST_F(FieldExchangeTest, FailingFieldLeavesItAndLaterMembersUnchanged) {
    saved = ClientSettings();
    controls.SetText(IDC_SERVER, "other.example.org");
    controls.SetText(IDC_COMMENT, std::string(101, 'c'));
    controls.SetText(IDC_CW_SPEED, "30");
    controls.SetCheck(IDC_COURTESY_TONES, 1);
    EXPECT_FALSE(Save());
    EXPECT_THAT(prompt.Texts(), ElementsAre("Enter no more than 100 characters."));
    EXPECT_EQ(controls.Focus(), IDC_COMMENT);
    EXPECT_EQ(saved.serverHost, "other.example.org");
    EXPECT_EQ(saved.callsign, "G4ABC");
    EXPECT_EQ(saved.comment, ClientSettings().comment);
    EXPECT_EQ(saved.room, ClientSettings().room);
    EXPECT_EQ(saved.cwSpeedWpm, ClientSettings().cwSpeedWpm);
    EXPECT_FALSE(saved.courtesyEnabled);

    controls.SetText(IDC_COMMENT, std::string(100, 'c'));
    EXPECT_TRUE(Save());
    EXPECT_EQ(saved.cwSpeedWpm, 30);
}

TEST_F(FieldExchangeTest, RoomIsTheSelectedEntryElseTheTypedText) {
    controls.SetText(IDC_TALK_GROUP, "TYPED");
    controls.SetCurSel(IDC_TALK_GROUP, 0);
    ASSERT_TRUE(Save());
    EXPECT_EQ(saved.room, "UK-1");

    controls.SetCurSel(IDC_TALK_GROUP, -1);
    controls.SetText(IDC_TALK_GROUP, "TYPED");
    ASSERT_TRUE(Save());
    EXPECT_EQ(saved.room, "TYPED");

    controls.SetText(IDC_TALK_GROUP, "ELEVENCHARS");
    EXPECT_FALSE(Save());
    EXPECT_THAT(prompt.Texts(), ElementsAre("Enter no more than 10 characters."));
    EXPECT_EQ(saved.room, "TYPED");
}

TEST_F(FieldExchangeTest, LoadingSelectsTheRoomByNameOrAddsIt) {
    ClientSettings s = StationSettings();
    s.room = "uk-1";
    LoadFields(controls, s);
    EXPECT_EQ(controls.Count(IDC_TALK_GROUP), 2);
    EXPECT_EQ(controls.ItemText(IDC_TALK_GROUP, controls.CurSel(IDC_TALK_GROUP)), "UK-1");

    s.room = "DX";
    LoadFields(controls, s);
    EXPECT_EQ(controls.Count(IDC_TALK_GROUP), 3);
    EXPECT_EQ(controls.CurSel(IDC_TALK_GROUP), 0);
    EXPECT_EQ(controls.ItemText(IDC_TALK_GROUP, 0), "DX");
}

// The administration layout's password field is the administrator's (PASS).
TEST_F(FieldExchangeTest, ThePasswordFieldFollowsTheLayout) {
    ClientSettings s = StationSettings();
    s.serverPassword = "room";
    s.adminPassword = "admin";
    LoadFields(controls, s, kAdminTemplate);
    EXPECT_EQ(controls.Text(IDC_SERVER_PASSWORD), "admin");
    controls.SetText(IDC_SERVER_PASSWORD, "new-admin");
    ASSERT_TRUE(SaveFields(controls, s, prompt, false, kAdminTemplate));
    EXPECT_EQ(s.adminPassword, "new-admin");
    EXPECT_EQ(s.serverPassword, "room");
    LoadFields(controls, s);
    EXPECT_EQ(controls.Text(IDC_SERVER_PASSWORD), "room");
}

} // namespace
