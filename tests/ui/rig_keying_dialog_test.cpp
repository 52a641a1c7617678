#include "ui/rig_keying_dialog.h"

#include "radio/rig_keying_dlg.h"
#include "ui/rig_setup_groups.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLineEdit>
#include <QRadioButton>
#include <QSlider>
#include <QTimer>

#include <gtest/gtest.h>

namespace {

template <class Widget> Widget& Find(QWidget& dialog, const char* name) {
    auto* widget = dialog.findChild<Widget*>(QLatin1String(name));
    if (!widget)
        throw std::runtime_error(std::string("no control ") + name);
    return *widget;
}

// Settings that differ from the first-start ones and have every box checked, so a control
// that ignored its field would show something else.
RigSettings Opened() {
    RigSettings s;
    s.keyingMethod = RigKeyingMethod::Halvek;
    s.comPort = 3;
    s.ilinkPort = 5;
    s.halvekPort = 9;
    s.toneFrequencyHz = 95;
    s.toneLevel = 310;
    s.keyLine = RigKeyLine::Dtr;
    s.invertKeying = true;
    s.halvekDigitalSquelch = true;
    s.halvekDigitalSquelchActiveHigh = true;
    s.halvekSquelchLevel = 11;
    s.squelchLine = RigSquelchLine::Dsr;
    s.invertSquelch = true;
    s.txTimeoutSeconds = 30;
    s.txRestartSeconds = 7;
    s.audioDevice = 1;
    return s;
}

const std::vector<std::string> kDevices = {"USB Audio Device (plughw:CARD=Device,DEV=0)",
                                           "HDA Intel PCH (plughw:CARD=PCH,DEV=0)"};

TEST(RigKeyingDialog, OkWritesEveryControlBackAndCancelWritesNothing) {
    CRigKeyingDlg logic;
    logic.Open(Opened(), kDevices);
    {
        // Shown and written back unchanged.
        CRigKeyingDialog dialog(logic);
        dialog.accept();
        EXPECT_EQ(logic.Ok(), Opened());
    }

    RigSettings edited;
    edited.keyingMethod = RigKeyingMethod::Tone;
    edited.comPort = 2;
    edited.ilinkPort = 7;
    edited.halvekPort = 1;
    edited.toneFrequencyHz = 120;
    edited.toneLevel = 450;
    edited.keyLine = RigKeyLine::Rts;
    edited.invertKeying = false;
    edited.halvekDigitalSquelch = false;
    edited.halvekDigitalSquelchActiveHigh = false;
    edited.halvekSquelchLevel = 4;
    edited.squelchLine = RigSquelchLine::Cts;
    edited.invertSquelch = false;
    edited.txTimeoutSeconds = 45;
    edited.txRestartSeconds = 12;
    edited.audioDevice = -1;

    auto edit = [](CRigKeyingDialog& dialog) {
        Find<QRadioButton>(dialog, "methodContinuousTone").setChecked(true);
        Find<QComboBox>(dialog, "comPort").setCurrentIndex(1);
        Find<QComboBox>(dialog, "ilinkPort").setCurrentIndex(6);
        Find<QComboBox>(dialog, "halvekPort").setCurrentIndex(0);
        Find<QLineEdit>(dialog, "toneFrequency").setText("120");
        Find<QLineEdit>(dialog, "toneLevel").setText("450");
        Find<QLineEdit>(dialog, "txTimeout").setText("45");
        Find<QLineEdit>(dialog, "txRestart").setText("12");
        Find<QRadioButton>(dialog, "rts").setChecked(true);
        Find<QCheckBox>(dialog, "invertKeying").setChecked(false);
        Find<QRadioButton>(dialog, "squelchCts").setChecked(true);
        Find<QCheckBox>(dialog, "invertSquelch").setChecked(false);
        Find<QCheckBox>(dialog, "halvekDigitalSquelch").setChecked(false);
        Find<QCheckBox>(dialog, "halvekDigitalSquelchActiveHigh").setChecked(false);
        Find<QSlider>(dialog, "analogSquelchLevel").setValue(4);
        Find<QComboBox>(dialog, "audioDevice").setCurrentIndex(0); // "Default Audio"
    };
    {
        CRigKeyingDialog dialog(logic);
        edit(dialog);
        dialog.reject();
        EXPECT_EQ(logic.Ok(), Opened());
    }
    {
        CRigKeyingDialog dialog(logic);
        edit(dialog);
        dialog.accept();
        EXPECT_EQ(logic.Ok(), edited);
        EXPECT_TRUE(logic.fields.methodContinuousTone && !logic.fields.methodHalvek);
        EXPECT_TRUE(logic.fields.squelchCts && !logic.fields.squelchDsr);
        EXPECT_TRUE(logic.fields.rts && !logic.fields.dtr);
    }
}

TEST(RigKeyingDialog, RunTellsWhetherOkClosedIt) {
    auto run = [](CRigKeyingDlg& logic, bool ok) {
        QWidget window;
        QTimer::singleShot(0, &window, [&window, ok] {
            auto& dialog = *window.findChild<CRigKeyingDialog*>();
            Find<QLineEdit>(dialog, "txTimeout").setText("99");
            ok ? dialog.accept() : dialog.reject();
        });
        return RunRigKeyingDialog(logic, &window);
    };
    CRigKeyingDlg logic;
    logic.Open(Opened(), kDevices);
    EXPECT_FALSE(run(logic, false));
    EXPECT_EQ(logic.fields.txTimeout, "30");
    EXPECT_TRUE(run(logic, true));
    EXPECT_EQ(logic.fields.txTimeout, "99");
}

TEST(RigKeyingDialog, PortListsSayWhichDeviceEachPortOpens) {
    CRigKeyingDlg logic;
    logic.Open(Opened(), {});
    logic.portDevices = {"/dev/ttyS0", "/dev/ttyS1", "/dev/ttyUSB0"};
    CRigKeyingDialog dialog(logic);
    for (const char* list : {"comPort", "ilinkPort", "halvekPort"}) {
        const QComboBox& ports = Find<QComboBox>(dialog, list);
        ASSERT_EQ(ports.count(), 9) << list;
        EXPECT_EQ(ports.itemText(0).toStdString(), "COM1  /dev/ttyS0") << list;
        EXPECT_EQ(ports.itemText(2).toStdString(), "COM3  /dev/ttyUSB0") << list;
        EXPECT_EQ(ports.itemText(3).toStdString(), "COM4") << list; // no device known
    }
    // Without sound devices the audio list is empty, disabled, and OK keeps the device.
    const QComboBox& audio = Find<QComboBox>(dialog, "audioDevice");
    EXPECT_EQ(audio.count(), 0);
    EXPECT_FALSE(audio.isEnabled());
    dialog.accept();
    EXPECT_EQ(logic.Ok().audioDevice, Opened().audioDevice);
}

TEST(RigKeyingDialog, OnlyTheChosenMethodsGroupsAreEnabled) {
    struct Case {
        const char* radio;
        RigKeyingMethod method;
        RigSetupGroups groups; // tone, COM keying, iLink, Halvek, squelch lines
    };
    const Case cases[] = {
        {"methodContinuousTone", RigKeyingMethod::Tone, {true, false, false, false, false}},
        {"methodILink", RigKeyingMethod::ILink, {false, false, true, false, false}},
        {"methodComPort", RigKeyingMethod::ComPort, {false, true, false, false, true}},
        {"methodVox", RigKeyingMethod::Vox, {false, false, false, false, false}},
        {"methodHalvek", RigKeyingMethod::Halvek, {false, false, false, true, false}},
    };
    CRigKeyingDlg logic;
    logic.Open(Opened(), kDevices);
    CRigKeyingDialog dialog(logic);
    auto enabled = [&] {
        return RigSetupGroups{Find<QGroupBox>(dialog, "toneGroup").isEnabled(),
                              Find<QGroupBox>(dialog, "comKeyingGroup").isEnabled(),
                              Find<QGroupBox>(dialog, "ilinkGroup").isEnabled(),
                              Find<QGroupBox>(dialog, "halvekGroup").isEnabled(),
                              Find<QGroupBox>(dialog, "squelchGroup").isEnabled()};
    };
    EXPECT_EQ(enabled(), cases[4].groups); // as opened
    for (const Case& c : cases) {
        EXPECT_EQ(GroupsForMethod(c.method), c.groups) << c.radio;
        Find<QRadioButton>(dialog, c.radio).setChecked(true);
        EXPECT_EQ(enabled(), c.groups) << c.radio;
    }
    // The method, transmit times and sound device apply to every method.
    EXPECT_TRUE(Find<QGroupBox>(dialog, "methodGroup").isEnabled());
    EXPECT_TRUE(Find<QGroupBox>(dialog, "transmitGroup").isEnabled());
    EXPECT_TRUE(Find<QGroupBox>(dialog, "audioGroup").isEnabled());
}

} // namespace
