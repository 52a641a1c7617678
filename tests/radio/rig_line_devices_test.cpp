// The CM108/CM119 chip's reports through a stand-in hidraw node, the chip found in a sysfs
// tree, the permission hint, and the GPIO method's reasons for not opening.

#include "platform/cm108_device.h"
#include "platform/cm108_report.h"
#include "platform/hidraw_devices.h"
#include "radio/rig_line_devices.h"
#include "tests/support/fake_serial_port.h"

#include <fcntl.h>
#include <grp.h>
#include <poll.h>
#include <sys/stat.h>
#include <termios.h>
#include <unistd.h>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <thread>

namespace {

namespace fs = std::filesystem;
using Bytes = std::vector<uint8_t>;
using testing::HasSubstr;
using testing::StartsWith;

// A raw pseudo-terminal stands in for the chip's node: what the code writes arrives at the
// master as written, and each write of the master is read as one input report.
class CFakeHidraw {
public:
    CFakeHidraw() {
        const int fd = ::open(pty_.SlavePath().c_str(), O_RDWR | O_NOCTTY);
        termios t;
        ::tcgetattr(fd, &t);
        ::cfmakeraw(&t);
        ::tcsetattr(fd, TCSANOW, &t);
        ::close(fd);
    }
    const std::string& Node() const { return pty_.SlavePath(); }
    // The next output report, or what came within 2 s.
    Bytes ReadReport() {
        Bytes report;
        uint8_t byte;
        pollfd p{pty_.MasterFd(), POLLIN, 0};
        while (report.size() < 5 && ::poll(&p, 1, 2000) > 0 && ::read(p.fd, &byte, 1) == 1)
            report.push_back(byte);
        return report;
    }
    void SendInputReport(uint8_t ir0) {
        const uint8_t report[4] = {ir0, 0, 0, 0};
        ASSERT_EQ(::write(pty_.MasterFd(), report, sizeof report), 4);
    }
    void Unplug() { pty_.HangUp(); }

private:
    CPseudoTerminal pty_;
};

RigSettings Cm108On(const std::string& node) {
    RigSettings s;
    s.keyingMethod = RigKeyingMethod::Cm108;
    s.cm108Device = node;
    return s;
}

// Waits up to 2 s for the squelch input to read `open`.
bool SquelchBecomes(ISquelchInput& input, bool open) {
    for (int i = 0; i < 200; ++i) {
        if (input.IsOpen() == open)
            return true;
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return false;
}

TEST(Cm108Lines, EachPinAndInversionGivesItsReportReleasedAtOpenThenKeyed) {
    for (int pin = kCm108FirstPin; pin <= kCm108LastPin; ++pin) {
        const auto bit = uint8_t(1 << (pin - 1));
        EXPECT_EQ(Cm108GpioReport(pin, true), (std::array<uint8_t, 5>{0, 0, bit, bit, 0}));
        EXPECT_EQ(Cm108GpioReport(pin, false), (std::array<uint8_t, 5>{0, 0, 0, bit, 0}));
    }
    for (const bool invert : {false, true}) {
        CFakeHidraw hid;
        RigSettings s = Cm108On(hid.Node());
        s.cm108InvertKeying = invert;
        RigLines lines = OpenRigLines(s);
        ASSERT_TRUE(lines.key) << lines.problem;
        EXPECT_FALSE(lines.squelch);
        const uint8_t high = 0x04; // GPIO3, the default
        EXPECT_EQ(hid.ReadReport(), (Bytes{0, 0, invert ? high : uint8_t(0), high, 0}));
        EXPECT_TRUE(lines.key->Set(true));
        EXPECT_EQ(hid.ReadReport(), (Bytes{0, 0, invert ? uint8_t(0) : high, high, 0}));
    }
}

TEST(Cm108Lines, TheVolumeDownInputIsTheSquelchUntilTheChipGoes) {
    EXPECT_TRUE(Cm108VolumeDownPressed(Bytes{0x02, 0, 0, 0}.data(), 4));
    EXPECT_FALSE(Cm108VolumeDownPressed(Bytes{0x0D, 0, 0, 0}.data(), 4)); // other buttons
    EXPECT_FALSE(Cm108VolumeDownPressed(nullptr, 0));

    CFakeHidraw hid;
    RigSettings s = Cm108On(hid.Node());
    s.squelchLine = RigSquelchLine::Cm108VolumeDown;
    RigLines lines = OpenRigLines(s);
    ASSERT_TRUE(lines.squelch) << lines.problem;
    EXPECT_EQ(lines.squelch->IsOpen(), false); // released until a report says otherwise
    hid.SendInputReport(0x02);
    EXPECT_TRUE(SquelchBecomes(*lines.squelch, true));
    hid.SendInputReport(0x01);
    EXPECT_TRUE(SquelchBecomes(*lines.squelch, false));
    EXPECT_FALSE(lines.key->IsLost() || lines.squelch->IsLost());
    hid.Unplug();
    EXPECT_TRUE(lines.key->IsLost() && lines.squelch->IsLost());
}

TEST(Cm108Lines, TheFirstChipWithACMediaIdInSysfsIsUsed) {
    const fs::path root = fs::path(::testing::TempDir()) / "hwkey-sysfs";
    fs::remove_all(root);
    auto add = [&](const std::string& node, const std::string& uevent) {
        fs::create_directories(root / "class/hidraw" / node / "device");
        if (!uevent.empty())
            std::ofstream(root / "class/hidraw" / node / "device/uevent") << uevent;
    };
    RigSettings s = Cm108On("");
    EXPECT_THAT(OpenRigLines(s, root.string()).problem,
                StartsWith("No CM108/CM119 sound chip is plugged in: no hidraw device has one of "
                           "the USB ids 0d8c:000c, 0d8c:0008"));

    add("hidraw0", "HID_ID=0003:0000046D:0000C52B\nHID_NAME=Logitech USB Receiver\n");
    add("hidraw921", "HID_ID=0003:00000D8C:0000000C\nHID_NAME=C-Media USB Headphone Set\n");
    add("hidraw97", "DRIVER=hid-generic\nHID_ID=0003:00000D8C:0000013C\nHID_NAME=USB Audio\n");
    add("hidraw98", "");
    const std::vector<HidrawDevice> chips = FindCm108Devices(root.string());
    ASSERT_EQ(chips.size(), 2u);
    EXPECT_EQ(chips[0].node, "/dev/hidraw97");
    EXPECT_EQ(chips[0].product, 0x013c);
    EXPECT_EQ(chips[1].node, "/dev/hidraw921");
    EXPECT_EQ(chips[1].name, "C-Media USB Headphone Set");

    const RigLines lines = OpenRigLines(s, root.string());
    EXPECT_EQ(lines.name, "CM108 /dev/hidraw97");
    EXPECT_EQ(lines.problem, "/dev/hidraw97: No such file or directory. Plug the sound chip in, "
                             "or name its device in CM108DEV of section [TX_CTRL] (empty: the "
                             "first C-Media chip found).");
    fs::remove_all(root);
}

TEST(Cm108Lines, APermissionProblemNamesTheDeviceItsGroupAndTheUdevRule) {
    const std::string text = HidrawPermissionText("/dev/hidraw3", "root");
    EXPECT_THAT(text, StartsWith("/dev/hidraw3: Permission denied. The device belongs to group "
                                 "root. Install the udev rule 60-tavro-cm108.rules"));
    EXPECT_THAT(text, HasSubstr("packaging/udev/60-tavro-cm108.rules to /etc/udev/rules.d/"));
    EXPECT_THAT(text, HasSubstr("group audio"));
    // The group is the node's own.
    const std::string node = ::testing::TempDir() + "/hwkey-node";
    std::ofstream(node) << "";
    struct stat st;
    ASSERT_EQ(::stat(node.c_str(), &st), 0);
    EXPECT_THAT(HidrawOpenErrorText(node, EACCES),
                HasSubstr("belongs to group " + std::string(::getgrgid(st.st_gid)->gr_name)));
    fs::remove(node);
}

TEST(GpioLines, AMissingChipOrLineSaysWhatIsMissing) {
    RigSettings s;
    s.keyingMethod = RigKeyingMethod::Gpio;
    s.gpioChip = "tavro-no-such-chip";
    s.gpioKeyLine = "PTT";
    RigLines lines = OpenRigLines(s);
    EXPECT_FALSE(lines.key);
    EXPECT_EQ(lines.name, "GPIO tavro-no-such-chip line PTT");
    EXPECT_THAT(lines.problem, StartsWith("GPIO chip tavro-no-such-chip: "));
    s.gpioKeyLine = "";
    EXPECT_EQ(OpenRigLines(s).problem, "No GPIO line is set for chip tavro-no-such-chip.");
}

} // namespace
