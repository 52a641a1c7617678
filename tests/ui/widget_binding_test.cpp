#include "client/control_ids.h"
#include "ui/color_button.h"
#include "ui/widget_binding.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QListWidget>
#include <QSlider>
#include <QTest>

#include <gtest/gtest.h>

#include <utility>
#include <vector>

namespace {
struct Recorded {
    std::vector<std::pair<int, int>> commands;
    std::vector<int> scrolls;
};

struct Bound {
    CDialogControls controls;
    Recorded seen;
    CWidgetBinding binding{controls,
                           [this](int id, int code) { seen.commands.emplace_back(id, code); },
                           [this](int id) { seen.scrolls.push_back(id); }};
};
} // namespace

// What the controller sets shows in the widgets, and what the user does goes
// into the model and becomes the control's command.
TEST(WidgetBinding, ModelAndWidgetsFollowEachOther) {
    Bound b;
    b.controls.SetText(IDC_CALLSIGN, "G4ABC");
    QLineEdit callsign;
    b.binding.BindEdit(IDC_CALLSIGN, &callsign);
    EXPECT_EQ(callsign.text(), "G4ABC"); // the state at binding time
    b.controls.SetText(IDC_CALLSIGN, "M0XYZ");
    b.controls.Enable(IDC_CALLSIGN, false);
    EXPECT_EQ(callsign.text(), "M0XYZ");
    EXPECT_FALSE(callsign.isEnabled());
    b.controls.Enable(IDC_CALLSIGN, true);
    callsign.setFocus();
    QTest::keyClicks(&callsign, "9");
    EXPECT_EQ(b.controls.Text(IDC_CALLSIGN), "M0XYZ9");

    QCheckBox vox;
    b.binding.BindCheckBox(IDC_VOX, &vox);
    b.controls.SetText(IDC_VOX, "Mute");
    EXPECT_EQ(vox.text(), "Mute");
    vox.click();
    EXPECT_EQ(b.controls.Check(IDC_VOX), 1);
    ASSERT_EQ(b.seen.commands.size(), 1u);
    EXPECT_EQ(b.seen.commands[0], std::make_pair(int(IDC_VOX), kNotifyClicked));
    b.controls.SetCheck(IDC_VOX, 0);
    EXPECT_FALSE(vox.isChecked());
    EXPECT_EQ(b.seen.commands.size(), 1u) << "the controller's own change is no command";

    QComboBox presets;
    b.binding.BindCombo(IDC_PRESETS, &presets);
    b.controls.AddString(IDC_PRESETS, "Home");
    b.controls.AddString(IDC_PRESETS, "Club");
    b.controls.SetCurSel(IDC_PRESETS, 1);
    EXPECT_EQ(presets.count(), 2);
    EXPECT_EQ(presets.currentIndex(), 1);
    presets.setCurrentIndex(0);
    emit presets.activated(0); // what a choice in the drop-down list sends
    EXPECT_EQ(b.controls.CurSel(IDC_PRESETS), 0);
    EXPECT_EQ(b.seen.commands.back(), std::make_pair(int(IDC_PRESETS), kNotifySelectionChange));

    QComboBox talkGroup;
    talkGroup.setEditable(true);
    b.binding.BindCombo(IDC_TALK_GROUP, &talkGroup);
    b.controls.AddString(IDC_TALK_GROUP, "UK-1");
    b.controls.SetCurSel(IDC_TALK_GROUP, 0);
    EXPECT_EQ(talkGroup.currentText(), "UK-1");
    talkGroup.lineEdit()->clear();
    talkGroup.setFocus();
    QTest::keyClicks(talkGroup.lineEdit(), "101");
    EXPECT_EQ(b.controls.Text(IDC_TALK_GROUP), "101");
    EXPECT_EQ(b.controls.CurSel(IDC_TALK_GROUP), -1) << "typing leaves no entry selected";

    QSlider silence(Qt::Horizontal);
    b.binding.BindSlider(IDC_SILENCE_LEVEL, &silence);
    b.controls.SetRange(IDC_SILENCE_LEVEL, 300, 3000);
    b.controls.SetPosition(IDC_SILENCE_LEVEL, 1000);
    EXPECT_EQ(silence.value(), 1000);
    EXPECT_TRUE(b.seen.scrolls.empty());
    silence.setPageStep(100);
    silence.triggerAction(QAbstractSlider::SliderPageStepAdd);
    EXPECT_EQ(b.controls.Position(IDC_SILENCE_LEVEL), 1100);
    EXPECT_EQ(b.seen.scrolls, std::vector<int>{IDC_SILENCE_LEVEL});
}

// The member list: lines, the talker's selection, and the own-talker colour.
TEST(WidgetBinding, MemberListAndLamp) {
    Bound b;
    QListWidget list;
    b.binding.BindList(IDC_MAIN_LIST, &list);
    const QColor normal = list.palette().color(QPalette::Base);
    b.controls.SetSorted(IDC_MAIN_LIST, true);
    b.controls.AddString(IDC_MAIN_LIST, "M0RMT\tRemote");
    b.controls.AddString(IDC_MAIN_LIST, "G4ABC\tGateway");
    b.controls.SetCurSel(IDC_MAIN_LIST, 1);
    ASSERT_EQ(list.count(), 2);
    EXPECT_EQ(list.item(0)->text(), "G4ABC\tGateway");
    EXPECT_EQ(list.currentRow(), 1);
    b.controls.SetHighlighted(IDC_MAIN_LIST, true);
    EXPECT_EQ(list.palette().color(QPalette::Base), QColor(80, 100, 240));
    b.controls.SetHighlighted(IDC_MAIN_LIST, false);
    EXPECT_EQ(list.palette().color(QPalette::Base), normal);

    CColorButton lamp;
    b.binding.BindLamp(IDC_TX_LAMP, &lamp);
    b.controls.SetColor(IDC_TX_LAMP, 0xFF0000);
    EXPECT_EQ(lamp.Color(), 0xFF0000u);
    lamp.resize(20, 20);
    const QImage picture = lamp.grab().toImage();
    EXPECT_EQ(picture.pixelColor(10, 10), QColor(255, 0, 0));
    EXPECT_LT(qGray(picture.pixel(10, 0)), 64) << "the one-pixel black outline";
}
