#include "radio/announcements_dlg.h"
#include "radio/client_settings.h"
#include "radio/edit_announcement_dlg.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>

namespace {

using Fixed = CAnnouncementsDlg::FixedMessage;

ClientSettings Opened() {
    ClientSettings s;
    s.announcementTickSeconds = 90;
    // Stored out of order: the dialog shows and gives them sorted.
    s.announcements = {{1, "QRZ", 5}, {0, "/tmp/id.wav", 2}, {1, "CQ", 5}};
    s.connectMessage = {1, "CONNECTED", -1};
    s.presetRoom1Message = {1, "ROOM 1", -1};
    s.disconnectMessage = {0, "/tmp/bye.wav", -1};
    return s;
}

// An edit dialog run that types `tick` and a Morse `text`, then clicks OK or Cancel.
CAnnouncementsDlg::EditRunner TypeMorse(const std::string& tick, const std::string& text,
                                        bool ok = true) {
    return [=](CEditAnnouncementDlg& edit) {
        edit.fields.tick = tick;
        edit.fields.file = text;
        edit.fields.morse = true;
        return ok && !edit.Ok();
    };
}

TEST(AnnouncementsDlg, CommandsEditASortedCopyThatOkHandsOver) {
    const ClientSettings opened = Opened();
    CAnnouncementsDlg dlg;
    dlg.Open(opened);
    EXPECT_EQ(dlg.fields.tickSeconds, "90");
    EXPECT_EQ(dlg.fields.lines, (std::vector<std::string>{"2\t/tmp/id.wav", "5\tCQ", "5\tQRZ"}));
    EXPECT_EQ(dlg.fields.selection, -1);

    // Without a selection Edit and Delete do nothing, and the edit dialog never opens.
    bool editOpened = false;
    dlg.Edit([&](CEditAnnouncementDlg&) { return editOpened = true; });
    dlg.Delete();
    EXPECT_FALSE(editOpened);
    EXPECT_EQ(dlg.Announcements().size(), 3u);

    // New opens on tick 1 with an empty WAV entry; the added entry takes its place in order
    // and the selected position stays.
    dlg.fields.selection = 1;
    dlg.New([&](CEditAnnouncementDlg& edit) {
        EXPECT_EQ(edit.fields.tick, "1");
        EXPECT_TRUE(edit.fields.tickEnabled);
        EXPECT_EQ(edit.fields.file, "");
        EXPECT_FALSE(edit.fields.morse);
        return TypeMorse("3", "AB")(edit);
    });
    EXPECT_EQ(dlg.fields.lines,
              (std::vector<std::string>{"2\t/tmp/id.wav", "3\tAB", "5\tCQ", "5\tQRZ"}));
    EXPECT_EQ(dlg.fields.selection, 1);

    // Edit opens on the selected line's entry and replaces it; a cancelled edit changes nothing.
    dlg.fields.selection = 2;
    dlg.Edit([&](CEditAnnouncementDlg& edit) {
        EXPECT_EQ(edit.fields.file, "CQ");
        return TypeMorse("1", "CQ CQ")(edit);
    });
    dlg.Edit(TypeMorse("7", "LOST", false));
    EXPECT_EQ(dlg.fields.lines,
              (std::vector<std::string>{"1\tCQ CQ", "2\t/tmp/id.wav", "3\tAB", "5\tQRZ"}));

    // Delete removes the selected line; a selection past the new end is cleared.
    dlg.Delete();
    dlg.fields.selection = 2;
    dlg.Delete();
    EXPECT_EQ(dlg.fields.lines, (std::vector<std::string>{"1\tCQ CQ", "2\t/tmp/id.wav"}));
    EXPECT_EQ(dlg.fields.selection, -1);

    // A fixed message is edited with its tick disabled; its text and flag are taken.
    dlg.EditFixedMessage(Fixed::Disconnect, [&](CEditAnnouncementDlg& edit) {
        EXPECT_FALSE(edit.fields.tickEnabled);
        EXPECT_EQ(edit.fields.file, "/tmp/bye.wav");
        EXPECT_FALSE(edit.fields.morse);
        return TypeMorse("ignored", "SK")(edit);
    });
    EXPECT_EQ(dlg.Message(Fixed::Disconnect), (CAnnounceMent{1, "SK", -1}));
    EXPECT_EQ(dlg.Message(Fixed::Connect), opened.connectMessage);

    // A tick time that is not a number keeps the dialog open and the settings as they were.
    dlg.fields.tickSeconds = "1 min";
    const std::optional<DlgRefusal> refusal = dlg.Ok();
    ASSERT_TRUE(refusal);
    EXPECT_EQ(refusal->message, "Please enter an integer.");
    EXPECT_EQ(refusal->field, CAnnouncementsDlg::kTickSecondsField);

    dlg.fields.tickSeconds = " 120 ";
    ASSERT_FALSE(dlg.Ok());
    ClientSettings taken = opened;
    dlg.TakeInto(taken);
    EXPECT_EQ(taken.announcementTickSeconds, 120);
    EXPECT_EQ(taken.announcements,
              (std::vector<CAnnounceMent>{{1, "CQ CQ", 1}, {0, "/tmp/id.wav", 2}}));
    EXPECT_EQ(taken.disconnectMessage, (CAnnounceMent{1, "SK", -1}));
    EXPECT_EQ(taken.connectMessage, opened.connectMessage);
    EXPECT_EQ(taken.presetRoom1Message, opened.presetRoom1Message);
}

TEST(EditAnnouncementDlg, AWaveEntryMustNameAnExistingFile) {
    const std::string wav = (std::filesystem::temp_directory_path() /
                             ("tavro-edit-announcement-" + std::to_string(getpid()) + ".wav"))
                                .string();
    std::ofstream(wav) << "RIFF";
    CEditAnnouncementDlg dlg;
    dlg.Open({0, wav + ".missing", 4});
    EXPECT_TRUE(dlg.BrowseEnabled());
    std::optional<DlgRefusal> refusal = dlg.Ok();
    ASSERT_TRUE(refusal);
    EXPECT_EQ(refusal->message, "File Name Invalid");
    EXPECT_EQ(refusal->icon, DlgRefusal::Icon::Stop);
    EXPECT_EQ(refusal->field, CEditAnnouncementDlg::kFileField);

    // A folder is no file either.
    dlg.fields.file = std::filesystem::temp_directory_path().string();
    EXPECT_TRUE(dlg.Ok());

    // The same text as Morse needs no file.
    dlg.fields.file = wav + ".missing";
    dlg.fields.morse = true;
    EXPECT_FALSE(dlg.BrowseEnabled());
    EXPECT_FALSE(dlg.Ok());
    EXPECT_EQ(dlg.Result(), (CAnnounceMent{1, wav + ".missing", 4}));

    // A file chosen by browsing makes the entry a WAV file again.
    dlg.FileChosen(wav);
    EXPECT_FALSE(dlg.fields.morse);
    dlg.fields.tick = "x";
    refusal = dlg.Ok();
    ASSERT_TRUE(refusal);
    EXPECT_EQ(refusal->field, CEditAnnouncementDlg::kTickField);
    dlg.fields.tick = "6";
    EXPECT_FALSE(dlg.Ok());
    EXPECT_EQ(dlg.Result(), (CAnnounceMent{0, wav, 6}));
    std::remove(wav.c_str());
}

TEST(EditAnnouncementDlg, AFixedMessageKeepsItsDisabledTick) {
    CEditAnnouncementDlg dlg;
    dlg.Open({1, "QRV", -1});
    EXPECT_FALSE(dlg.fields.tickEnabled);
    EXPECT_EQ(dlg.fields.tick, "-1");
    dlg.fields.tick = "junk"; // not read while disabled
    dlg.fields.file = "QRT";
    EXPECT_FALSE(dlg.Ok());
    EXPECT_EQ(dlg.Result(), (CAnnounceMent{1, "QRT", -1}));
    // An ordinary entry's tick is enabled, even at 0.
    dlg.Open({1, "QRV", 0});
    EXPECT_TRUE(dlg.fields.tickEnabled);
}

} // namespace
