#include "ui/preset_servers_dialog.h"

#include "radio/edit_preset_dlg.h"
#include "radio/preset_servers_dlg.h"
#include "tests/ui/modal_answer.h"
#include "ui/edit_preset_dialog.h"

#include <QLineEdit>
#include <QListWidget>
#include <QMessageBox>
#include <QPushButton>

namespace {

const std::vector<CPresetServer> kPresets = {
    {"Home", "", 10024, "UK-1", "home.example.net"},
    {"Club", "secret", 10025, "101", "club.example.net"},
    {"Net", "", 10024, "NET", "net.example.net"},
    {"Test", "", 2000, "T", "127.0.0.1"},
};

QStringList Lines(QListWidget& list) {
    QStringList lines;
    for (int i = 0; i < list.count(); ++i)
        lines << list.item(i)->text();
    return lines;
}

TEST(PresetServersDialog, ButtonsEditTheListThroughTheEntryDialog) {
    CPresetServersDlg logic;
    logic.Open(kPresets, ProposedPreset("gw.example.org", 10030, "EU-2"));
    CPresetServersDialog dialog(logic);
    auto& list = Find<QListWidget>(dialog, "presets");
    EXPECT_EQ(Lines(list), (QStringList{"0 : Home", "1 : Club", "2 : Net", "3 : Test"}));

    list.setCurrentRow(3);
    Find<QPushButton>(dialog, "moveUp").click();
    EXPECT_EQ(Lines(list), (QStringList{"0 : Home", "1 : Club", "2 : Test", "3 : Net"}));
    EXPECT_EQ(list.currentRow(), 2);

    // The entry dialog shows the proposal; a port out of range is refused and the dialog
    // stays open until it is mended.
    AnswerNextModal<CEditPresetDialog>([](CEditPresetDialog& edit) {
        EXPECT_EQ(Find<QLineEdit>(edit, "name").text(), "gw.example.org - EU-2");
        EXPECT_EQ(Find<QLineEdit>(edit, "port").text(), "10030");
        Find<QLineEdit>(edit, "port").setText("70000");
        QString refused;
        AnswerNextModal<QMessageBox>([&](QMessageBox& box) {
            refused = box.text();
            box.accept();
        });
        edit.accept();
        EXPECT_EQ(refused, "Enter an integer between 1 and 65535.");
        EXPECT_TRUE(edit.isVisible());
        Find<QLineEdit>(edit, "port").setText("10031");
        Find<QLineEdit>(edit, "password").setText("pw");
        edit.accept();
    });
    Find<QPushButton>(dialog, "addPreset").click();
    EXPECT_EQ(Lines(list).last(), "4 : gw.example.org - EU-2");
    EXPECT_EQ(list.currentRow(), 4);

    // A double click edits the line.
    AnswerNextModal<CEditPresetDialog>([](CEditPresetDialog& edit) {
        EXPECT_EQ(Find<QLineEdit>(edit, "server").text(), "club.example.net");
        Find<QLineEdit>(edit, "name").setText("Club 2");
        Find<QLineEdit>(edit, "room").setText("102");
        edit.accept();
    });
    emit list.itemDoubleClicked(list.item(1));

    list.setCurrentRow(0);
    Find<QPushButton>(dialog, "removePreset").click();
    EXPECT_EQ(Lines(list),
              (QStringList{"0 : Club 2", "1 : Test", "2 : Net", "3 : gw.example.org - EU-2"}));
    EXPECT_EQ(list.currentRow(), 0);

    EXPECT_EQ(logic.Presets(),
              (std::vector<CPresetServer>{
                  {"Club 2", "secret", 10025, "102", "club.example.net"},
                  kPresets[3],
                  kPresets[2],
                  {"gw.example.org - EU-2", "pw", 10031, "EU-2", "gw.example.org"}}));
}

} // namespace
