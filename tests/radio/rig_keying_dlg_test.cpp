#include "radio/rig_keying_dlg.h"

#include <gtest/gtest.h>

namespace {

TEST(RigKeyingDlg, OpenShowsTheSettingsAndOkGivesThemBack) {
    RigSettings s;
    s.keyingMethod = RigKeyingMethod::Halvek;
    s.comPort = 2;
    s.ilinkPort = 5;
    s.halvekPort = 9;
    s.toneFrequencyHz = 95;
    s.keyLine = RigKeyLine::Dtr;
    s.invertKeying = false;
    s.halvekDigitalSquelch = false;
    s.halvekSquelchLevel = 11;
    s.squelchLine = RigSquelchLine::Dsr;
    s.invertSquelch = true;
    s.txTimeoutSeconds = 30;
    s.audioDevice = 1;
    CRigKeyingDlg dlg;
    dlg.Open(s, {"USB Audio CODEC", "HDA Intel PCH"});
    const RigKeyingDlgFields& f = dlg.fields;
    EXPECT_TRUE(f.methodHalvek && !f.methodVox && !f.methodComPort);
    EXPECT_EQ(f.ilinkPort.entries.front(), "COM1");
    EXPECT_EQ(f.ilinkPort.entries.back(), "COM9");
    EXPECT_EQ(f.comPort.selection, 1);
    EXPECT_EQ(f.halvekPort.selection, 8);
    EXPECT_EQ(f.toneFrequency, "95");
    EXPECT_EQ(f.txTimeout, "30");
    EXPECT_TRUE(f.dtr && !f.rts);
    EXPECT_TRUE(f.squelchDsr && !f.squelchCts && !f.squelchVox);
    EXPECT_EQ(f.analogSquelchLevel, 11);
    EXPECT_EQ(f.audioDevice.entries,
              (std::vector<std::string>{"Default Audio", "USB Audio CODEC", "HDA Intel PCH"}));
    EXPECT_EQ(f.audioDevice.selection, 2);
    EXPECT_EQ(dlg.Ok(), s);

    dlg.Open(RigSettings{}, {"USB Audio CODEC"});
    EXPECT_TRUE(dlg.fields.methodVox && dlg.fields.rts && dlg.fields.squelchVox);
    EXPECT_EQ(dlg.fields.audioDevice.selection, 0); // "Default Audio"
    EXPECT_EQ(dlg.Ok(), RigSettings{});
}

TEST(RigKeyingDlg, OkFollowsTheButtonOrderAndReadsEditsAsPlainNumbers) {
    CRigKeyingDlg dlg;
    dlg.Open(RigSettings{}, {"USB Audio CODEC"});
    RigKeyingDlgFields& f = dlg.fields;
    auto method = [&](bool tone, bool ilink, bool com, bool vox, bool halvek) {
        f.methodContinuousTone = tone;
        f.methodILink = ilink;
        f.methodComPort = com;
        f.methodVox = vox;
        f.methodHalvek = halvek;
        return dlg.Ok().keyingMethod;
    };
    EXPECT_EQ(method(true, false, false, true, true), RigKeyingMethod::Vox);
    EXPECT_EQ(method(true, true, true, false, true), RigKeyingMethod::Tone);
    EXPECT_EQ(method(false, true, true, false, true), RigKeyingMethod::ILink);
    EXPECT_EQ(method(false, false, true, false, true), RigKeyingMethod::ComPort);
    EXPECT_EQ(method(false, false, false, false, true), RigKeyingMethod::Halvek);
    EXPECT_EQ(method(false, false, false, false, false), RigKeyingMethod::Vox);

    f.toneFrequency = "  120";
    f.toneLevel = "500 Hz";
    f.txTimeout = "abc";
    f.txRestart = "-5";
    f.rts = false;
    f.squelchCts = true;
    f.squelchDsr = true;
    f.comPort.selection = 3;
    f.audioDevice.selection = 1;
    const RigSettings s = dlg.Ok();
    EXPECT_EQ(s.toneFrequencyHz, 120);
    EXPECT_EQ(s.toneLevel, 500);
    EXPECT_EQ(s.txTimeoutSeconds, 0);
    EXPECT_EQ(s.txRestartSeconds, -5);
    EXPECT_EQ(s.keyLine, RigKeyLine::Dtr);
    EXPECT_EQ(s.squelchLine, RigSquelchLine::Dsr); // DSR before CTS
    EXPECT_EQ(s.comPort, 4);
    EXPECT_EQ(s.audioDevice, 0);
    f.squelchDsr = false;
    EXPECT_EQ(dlg.Ok().squelchLine, RigSquelchLine::Cts);
}

TEST(RigKeyingDlg, ValuesTheListsCannotShowAreKeptRatherThanLost) {
    // A port mapped by hand beyond COM9 and a device that is unplugged.
    RigSettings s;
    s.comPort = 12;
    s.audioDevice = 4;
    CRigKeyingDlg dlg;
    dlg.Open(s, {"USB Audio CODEC"});
    EXPECT_EQ(dlg.fields.comPort.selection, -1);
    EXPECT_EQ(dlg.fields.audioDevice.selection, -1);
    EXPECT_EQ(dlg.Ok().comPort, 12);
    EXPECT_EQ(dlg.Ok().audioDevice, 4);
    dlg.Open(s, {});
    EXPECT_TRUE(dlg.fields.audioDevice.entries.empty());
    EXPECT_EQ(dlg.Ok().audioDevice, 4);
}

} // namespace
