#include "ui/announcements_dialog.h"

#include "radio/announcements_dlg.h"
#include "radio/client_settings.h"
#include "radio/edit_announcement_dlg.h"
#include "tests/ui/modal_answer.h"
#include "ui/edit_announcement_dialog.h"

#include <QCheckBox>
#include <QFileDialog>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QToolButton>
#include <QTreeWidget>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <unistd.h>

namespace {

std::vector<std::string> Rows(QTreeWidget& list) {
    std::vector<std::string> rows;
    for (int i = 0; i < list.topLevelItemCount(); ++i)
        rows.push_back(list.topLevelItem(i)->text(0).toStdString() + "|" +
                       list.topLevelItem(i)->text(1).toStdString());
    return rows;
}

// The edit dialog that opens next gets a tick and a Morse text, then OK.
void TypeMorse(const QString& tick, const QString& text) {
    AnswerNextModal<CEditAnnouncementDialog>([=](CEditAnnouncementDialog& edit) {
        Find<QLineEdit>(edit, "tick").setText(tick);
        Find<QLineEdit>(edit, "file").setText(text);
        Find<QCheckBox>(edit, "morse").setChecked(true);
        edit.accept();
    });
}

TEST(AnnouncementsDialog, ButtonsEditTheListAndOkHandsItOver) {
    ClientSettings opened;
    opened.announcementTickSeconds = 60;
    opened.announcements = {{1, "QRZ", 5}, {1, "CQ", 2}};
    CAnnouncementsDlg logic;
    logic.Open(opened);
    CAnnouncementsDialog dialog(logic);
    auto& list = Find<QTreeWidget>(dialog, "announcements");
    EXPECT_EQ(list.headerItem()->text(0), "Tick No.");
    EXPECT_EQ(list.headerItem()->text(1), "Filename");
    EXPECT_EQ(Rows(list), (std::vector<std::string>{"2|CQ", "5|QRZ"}));

    TypeMorse("9", "SK");
    Find<QPushButton>(dialog, "newAnnouncement").click();
    EXPECT_EQ(Rows(list), (std::vector<std::string>{"2|CQ", "5|QRZ", "9|SK"}));

    // A double click edits the line.
    TypeMorse("1", "QRV");
    emit list.itemDoubleClicked(list.topLevelItem(1), 0);
    EXPECT_EQ(Rows(list), (std::vector<std::string>{"1|QRV", "2|CQ", "9|SK"}));

    list.setCurrentItem(list.topLevelItem(2));
    Find<QPushButton>(dialog, "deleteAnnouncement").click();
    EXPECT_EQ(Rows(list), (std::vector<std::string>{"1|QRV", "2|CQ"}));

    // A fixed message's edit has its tick disabled.
    AnswerNextModal<CEditAnnouncementDialog>([](CEditAnnouncementDialog& edit) {
        EXPECT_FALSE(Find<QLineEdit>(edit, "tick").isEnabled());
        Find<QLineEdit>(edit, "file").setText("WELCOME");
        edit.accept();
    });
    Find<QPushButton>(dialog, "connectMessage").click();

    Find<QLineEdit>(dialog, "tickSeconds").setText("30");
    dialog.accept();
    EXPECT_EQ(dialog.result(), QDialog::Accepted);
    ClientSettings taken;
    logic.TakeInto(taken);
    EXPECT_EQ(taken.announcementTickSeconds, 30);
    EXPECT_EQ(taken.announcements, (std::vector<CAnnounceMent>{{1, "QRV", 1}, {1, "CQ", 2}}));
    EXPECT_EQ(taken.connectMessage, (CAnnounceMent{1, "WELCOME", -1}));
}

TEST(EditAnnouncementDialog, AMissingWaveFileKeepsItOpenAndBrowsingFindsOne) {
    const std::string wav = (std::filesystem::temp_directory_path() /
                             ("tavro-browse-" + std::to_string(getpid()) + ".wav"))
                                .string();
    std::ofstream(wav) << "RIFF";
    CEditAnnouncementDlg logic;
    logic.Open({0, wav + ".missing", 3});
    CEditAnnouncementDialog dialog(logic);
    bool accepted = false;
    QObject::connect(&dialog, &QDialog::accepted, [&] { accepted = true; });

    QString shown;
    QMessageBox::Icon icon = QMessageBox::NoIcon;
    AnswerNextModal<QMessageBox>([&](QMessageBox& box) {
        shown = box.text();
        icon = box.icon();
        box.accept();
    });
    dialog.accept();
    EXPECT_EQ(shown, "File Name Invalid");
    EXPECT_EQ(icon, QMessageBox::Critical);
    EXPECT_FALSE(accepted);

    // "..." works only while the Morse box is clear.
    auto& browse = Find<QToolButton>(dialog, "browse");
    auto& morse = Find<QCheckBox>(dialog, "morse");
    morse.setChecked(true);
    EXPECT_FALSE(browse.isEnabled());
    morse.setChecked(false);
    EXPECT_TRUE(browse.isEnabled());

    AnswerNextModal<QFileDialog>([&](QFileDialog& files) {
        EXPECT_EQ(files.nameFilters(), (QStringList{"Wave Files (*.wav)", "All Files (*)"}));
        EXPECT_EQ(files.defaultSuffix(), "WAV");
        EXPECT_EQ(files.fileMode(), QFileDialog::ExistingFile);
        files.selectFile(QString::fromStdString(wav));
        static_cast<QDialog&>(files).accept(); // protected in QFileDialog
    });
    Find<QLineEdit>(dialog, "tick").setText("4");
    browse.click();
    EXPECT_EQ(Find<QLineEdit>(dialog, "file").text().toStdString(), wav);
    EXPECT_EQ(Find<QLineEdit>(dialog, "tick").text(), "4"); // the typed tick stays

    dialog.accept();
    EXPECT_TRUE(accepted);
    EXPECT_EQ(logic.Result(), (CAnnounceMent{0, wav, 4}));
    std::remove(wav.c_str());
}

} // namespace
