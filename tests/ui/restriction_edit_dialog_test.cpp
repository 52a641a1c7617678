#include "ui/restriction_edit_dialog.h"

#include "radio/restriction_editor.h"
#include "radio/settings_store.h"
#include "ui/restriction_comment_dialog.h"

#include <QApplication>
#include <QHeaderView>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QTest>
#include <QTimer>
#include <QTreeWidget>

#include <gtest/gtest.h>

#include <filesystem>

namespace {
namespace fs = std::filesystem;

constexpr int64_t kNow = 1'700'000'000;

template <class Widget> Widget& Find(QWidget& dialog, const char* name) {
    auto* widget = dialog.findChild<Widget*>(QLatin1String(name));
    if (!widget)
        throw std::runtime_error(std::string("no control ") + name);
    return *widget;
}

CListRestrictionsMessage List() {
    CListRestrictionsMessage message;
    const std::pair<const char*, std::array<int32_t, 4>> stations[] = {
        {"G4ABC", {9, 0, 0, 9}}, {"M0XYZ", {192, 168, 1, 20}}, {"2E0QQ", {10, 0, 0, 1}}};
    for (const auto& [call, address] : stations) {
        auto record = std::make_unique<CRestrictedUserInfo>();
        record->callSign = call;
        record->address = address;
        record->restriction = kMuted;
        record->reason = "old reason";
        message.restrictions.push_back(std::move(record));
    }
    return message;
}

QStringList Column(QTreeWidget& list, int column) {
    QStringList texts;
    for (int row = 0; row < list.topLevelItemCount(); ++row)
        texts << list.topLevelItem(row)->text(column);
    return texts;
}

void ClickHeading(QTreeWidget& list, int column) {
    QHeaderView& header = *list.header();
    QTest::mouseClick(header.viewport(), Qt::LeftButton, {},
                      QPoint(header.sectionViewportPosition(column) + 4, header.height() / 2));
}

// The distances of a button to the dialog's right and bottom edges.
QPoint FromBottomRight(const QWidget& dialog, const QWidget& button) {
    return {dialog.width() - button.geometry().right(),
            dialog.height() - button.geometry().bottom()};
}

TEST(RestrictionEditDialog, DrivenByAnAdministrator) {
    std::string pattern = (fs::temp_directory_path() / "tavro-restrict-ui-XXXXXX").string();
    ASSERT_NE(mkdtemp(pattern.data()), nullptr);
    const fs::path dir = pattern;
    CSettingsStore store((dir / "tavro.INI").string());
    CMsgQueue queue;
    CRestrictionEditEx logic(queue, store, [] { return kNow; });

    {
        CRestrictionEditDialog dialog(logic);
        dialog.show();
        QTreeWidget& list = Find<QTreeWidget>(dialog, "list");
        // Opening asks the server for its list; columns start as wide as their headings + 20.
        auto opening = queue.Get();
        ASSERT_NE(opening, nullptr);
        EXPECT_EQ(opening->command, kCmdGetRestrict);
        EXPECT_EQ(list.header()->sectionSize(kColumnExpires),
                  dialog.fontMetrics().horizontalAdvance(QStringLiteral("Expires")) + 20);

        // The server's list arrives while the dialog is open.
        logic.FillRestrictions(List());
        EXPECT_EQ(Column(list, kColumnCallsign), QStringList({"G4ABC", "M0XYZ", "2E0QQ"}));

        // A heading click sorts by the logic's rules (addresses as numbers, not as text).
        ClickHeading(list, kColumnIp);
        EXPECT_EQ(Column(list, kColumnIp), QStringList({"9.0.0.9", "10.0.0.1", "192.168.1.20"}));
        ClickHeading(list, kColumnIp);
        EXPECT_EQ(Column(list, kColumnCallsign), QStringList({"M0XYZ", "2E0QQ", "G4ABC"}));

        // Two lines selected and Kick: the comment dialog offers a day, with the first line's
        // reason selected for typing over; two hours are asked for.
        list.topLevelItem(0)->setSelected(true);
        list.topLevelItem(2)->setSelected(true);
        QTimer::singleShot(0, &dialog, [&dialog] {
            auto* comment = dialog.findChild<CRestrictionCommentDialog*>();
            ASSERT_NE(comment, nullptr);
            auto& reason = Find<QPlainTextEdit>(*comment, "reason");
            auto& duration = Find<QSpinBox>(*comment, "duration");
            EXPECT_EQ(reason.textCursor().selectedText(), QStringLiteral("old reason"));
            EXPECT_TRUE(duration.isEnabled());
            EXPECT_EQ(duration.value(), 24);
            reason.setPlainText(QStringLiteral("Noise"));
            Find<QLineEdit>(*comment, "restrictedBy").setText(QStringLiteral("Sysop"));
            duration.setValue(2);
            comment->accept();
        });
        Find<QPushButton>(dialog, "kick").click();
        std::vector<std::string> kicked;
        while (auto message = queue.Get()) {
            auto* add = dynamic_cast<CAddRestrictionMessage*>(message.get());
            ASSERT_NE(add, nullptr);
            EXPECT_EQ(add->restriction.restriction, kKicked);
            EXPECT_EQ(add->restriction.end, kNow + 2 * 3600);
            EXPECT_EQ(add->restriction.reason, "Noise");
            kicked.push_back(add->restriction.callSign);
        }
        EXPECT_EQ(kicked, (std::vector<std::string>{"M0XYZ", "G4ABC"}));

        // Ban offers no duration; Cancel sends nothing.
        QTimer::singleShot(0, &dialog, [&dialog] {
            auto* comment = dialog.findChild<CRestrictionCommentDialog*>();
            ASSERT_NE(comment, nullptr);
            EXPECT_FALSE(Find<QSpinBox>(*comment, "duration").isEnabled());
            EXPECT_EQ(Find<QLineEdit>(*comment, "restrictedBy").text(), QStringLiteral("Sysop"));
            comment->reject();
        });
        Find<QPushButton>(dialog, "ban").click();
        EXPECT_TRUE(queue.IsEmpty());

        // Resizing: the list takes the change, Close keeps its corner and stays clear of
        // Restore however narrow the dialog gets.
        QWidget& close = Find<QPushButton>(dialog, "close");
        QWidget& restore = Find<QPushButton>(dialog, "restore");
        const QPoint corner = FromBottomRight(dialog, close);
        const QSize listSize = list.size();
        dialog.resize(dialog.width() + 150, dialog.height() + 80);
        QCoreApplication::processEvents();
        EXPECT_EQ(FromBottomRight(dialog, close), corner);
        EXPECT_EQ(list.size(), listSize + QSize(150, 80));
        dialog.resize(1, 1);
        QCoreApplication::processEvents();
        EXPECT_GE(close.x() - (restore.x() + restore.width()), 5);

        list.header()->resizeSection(kColumnExpires, 233);
        Find<QPushButton>(dialog, "close").click();
        EXPECT_EQ(logic.LineCount(), 0u);
    }

    // The next opening shows the widths of the last one.
    CRestrictionEditDialog again(logic);
    EXPECT_EQ(Find<QTreeWidget>(again, "list").header()->sectionSize(kColumnExpires), 233);
    again.reject();
    fs::remove_all(dir);
}

} // namespace
