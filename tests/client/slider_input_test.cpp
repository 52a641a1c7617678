// Moving a slider stores what it sets: the DTMF detector gains, the VOX level
// (or the Halvek board's squelch level) and the silence level.

#include "client/control_ids.h"
#include "platform/ini_file.h"
#include "tests/client/client_harness.h"
#include "tests/support/fake_serial_port.h"

#include <gtest/gtest.h>

namespace {

void Move(ClientHarness& harness, int id, int position) {
    harness.Controls().UserSetPosition(id, position);
    harness.Client().OnScroll(id);
}

TEST(SliderInput, EachSliderSetsItsValue) {
    ClientSetup setup;
    ClientHarness harness(setup);
    harness.Start();
    Move(harness, kDtmfGainSliders[2], 31000);
    EXPECT_EQ(harness.Client().Settings().dtmfGain[2], 1000);
    Move(harness, IDC_VOX_LEVEL, 30000);
    EXPECT_EQ(harness.Client().Settings().voxLevel, 2768);
    Move(harness, IDC_SILENCE_LEVEL, 1500);
    EXPECT_EQ(harness.Client().Settings().silenceLevel, 1500);
    // Out of range positions are held to the slider's range.
    Move(harness, IDC_SILENCE_LEVEL, 5);
    EXPECT_EQ(harness.Client().Settings().silenceLevel, 300);
}

TEST(SliderInput, TheVoxSliderSetsTheHalvekSquelchLevelAndStoresIt) {
    CFakeSerialDevice serial;
    ClientSetup setup;
    setup.extraIni = "VOXL=1234\n[TX_CTRL]\nTYPE=4\nHVKCOMPORT=1\nHVKSQLLEVEL=6\n"
                     "[COM_PORTS]\nCOM1=/dev/tavro-test-rig\n";
    ClientHarness harness(setup);
    harness.Options().serialPortFactory = serial.Factory();
    harness.Start();
    EXPECT_EQ(harness.Controls().Get(IDC_VOX_LEVEL).rangeMax, 15);
    Move(harness, IDC_VOX_LEVEL, 5);
    EXPECT_EQ(harness.Client().Settings().voxLevel, 1234);
    CIniFile file;
    ASSERT_TRUE(file.Load(harness.SettingsPath()));
    EXPECT_EQ(file.GetInt("TX_CTRL", "HVKSQLLEVEL", 0), 10);
}

} // namespace
