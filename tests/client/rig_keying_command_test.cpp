// The "Rig Keying..." command opens the dialog with each port list saying
// which device the port opens.

#include "client/control_ids.h"
#include "tests/client/client_harness.h"

#include <gtest/gtest.h>

namespace {

TEST(RigKeyingCommand, TheDialogKnowsEachPortsDevice) {
    ClientSetup setup;
    setup.extraIni = "[COM_PORTS]\nCOM3=/dev/ttyUSB0\n";
    ClientHarness harness(setup);
    std::vector<std::string> shown;
    harness.Options().runRigKeyingDialog = [&](CRigKeyingDlg& dialog) {
        shown = dialog.portDevices;
        return false;
    };
    harness.Start();
    harness.Client().OnCommand(IDC_RIG_KEYING);
    ASSERT_EQ(shown.size(), size_t(CRigKeyingDlg::kPortCount));
    EXPECT_EQ(shown[0], "/dev/ttyS0");
    EXPECT_EQ(shown[2], "/dev/ttyUSB0");
}

} // namespace
