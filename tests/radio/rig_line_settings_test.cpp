// The CM108 and GPIO methods' settings: stored files without them keep their behaviour, and
// the dialog shows and gives back each method's own fields and squelch input.

#include "platform/ini_file.h"
#include "radio/rig_keying_dlg.h"
#include "radio/rig_settings.h"

#include <gtest/gtest.h>

namespace {

TEST(RigLineSettings, OlderFilesKeepTheirMethodAndBadPinsGiveGpio3) {
    CIniFile ini;
    ini.LoadText("[TX_CTRL]\nTYPE=2\nSQLLINE=1\n");
    RigSettings s;
    LoadRigSettings(ini, s);
    RigSettings expected;
    expected.keyingMethod = RigKeyingMethod::ComPort;
    expected.squelchLine = RigSquelchLine::Cts;
    EXPECT_EQ(s, expected);

    ini.LoadText("[TX_CTRL]\nTYPE=7\nSQLLINE=5\nCM108PIN=9\n");
    LoadRigSettings(ini, s);
    EXPECT_EQ(s, RigSettings{});

    s.keyingMethod = RigKeyingMethod::Gpio;
    s.squelchLine = RigSquelchLine::Gpio;
    s.cm108Device = "/dev/hidraw2";
    s.cm108Pin = 8;
    s.cm108InvertKeying = s.cm108InvertSquelch = true;
    s.gpioChip = "pinctrl-bcm2711";
    s.gpioKeyLine = "GPIO17";
    s.gpioSquelchLine = "22";
    s.gpioInvertKeying = s.gpioInvertSquelch = true;
    CIniFile saved;
    SaveRigSettings(saved, s);
    RigSettings loaded;
    LoadRigSettings(saved, loaded);
    EXPECT_EQ(loaded, s);
}

TEST(RigLineSettings, TheDialogGivesEachMethodItsOwnSquelchInput) {
    RigSettings s;
    s.keyingMethod = RigKeyingMethod::Cm108;
    s.squelchLine = RigSquelchLine::Cm108VolumeDown;
    s.cm108Pin = 5;
    s.gpioKeyLine = "PTT";
    CRigKeyingDlg dlg;
    dlg.Open(s, {});
    RigKeyingDlgFields& f = dlg.fields;
    EXPECT_TRUE(f.methodCm108 && !f.methodVox && !f.methodGpio);
    EXPECT_TRUE(f.cm108Squelch && f.squelchVox);
    EXPECT_EQ(f.cm108Pin.entries.front(), "GPIO1");
    EXPECT_EQ(f.cm108Pin.entries.back(), "GPIO8");
    EXPECT_EQ(f.cm108Pin.selection, 4);
    EXPECT_EQ(dlg.Ok(), s);

    // The squelch of a method comes from its own group, whatever the others show.
    f.squelchCts = true;
    f.cm108Squelch = false;
    EXPECT_EQ(dlg.Ok().squelchLine, RigSquelchLine::None);
    f.methodCm108 = false;
    f.methodGpio = true;
    EXPECT_EQ(dlg.Ok().keyingMethod, RigKeyingMethod::Gpio);
    EXPECT_EQ(dlg.Ok().squelchLine, RigSquelchLine::None);
    f.gpioSquelchLine = "SQL";
    EXPECT_EQ(dlg.Ok().squelchLine, RigSquelchLine::Gpio);
    f.methodGpio = false;
    f.methodComPort = true;
    EXPECT_EQ(dlg.Ok().squelchLine, RigSquelchLine::Cts);
}

} // namespace
