#include "platform/ini_file.h"
#include "radio/rig_keying_dlg.h"

#include <gtest/gtest.h>

namespace {

TEST(RigKeyingDlgDevices, PortDevicesFollowTheComPortsSection) {
    CIniFile ini;
    ini.LoadText("[COM_PORTS]\nCOM3=/dev/ttyUSB0\nCOM9=/dev/rig\n");
    CRigKeyingDlg dlg;
    dlg.ListPortDevices(ini);
    ASSERT_EQ(dlg.portDevices.size(), 9u);
    EXPECT_EQ(dlg.portDevices[0], "/dev/ttyS0");
    EXPECT_EQ(dlg.portDevices[2], "/dev/ttyUSB0");
    EXPECT_EQ(dlg.portDevices[8], "/dev/rig");

    // A second listing replaces the first, and opening the dialog keeps it.
    ini.LoadText("");
    dlg.ListPortDevices(ini);
    dlg.Open(RigSettings{}, {});
    ASSERT_EQ(dlg.portDevices.size(), 9u);
    EXPECT_EQ(dlg.portDevices[2], "/dev/ttyS2");
}

TEST(RigKeyingDlgDevices, AudioEntriesNameTheDeviceAfterItsDescription) {
    EXPECT_EQ(AudioDeviceEntry("plughw:CARD=Device,DEV=0", "USB Audio Device"),
              "USB Audio Device (plughw:CARD=Device,DEV=0)");
    EXPECT_EQ(AudioDeviceEntry("rig_in", ""), "rig_in");
}

} // namespace
