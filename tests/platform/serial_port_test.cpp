#include "platform/serial_port.h"
#include "tests/support/fake_serial_port.h"

#include <gtest/gtest.h>
#include <poll.h>
#include <termios.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <filesystem>
#include <fstream>

namespace {

namespace fs = std::filesystem;
using Bytes = std::vector<uint8_t>;

Bytes ReadMaster(int fd, size_t count) {
    Bytes bytes;
    pollfd p{fd, POLLIN, 0};
    uint8_t byte;
    while (bytes.size() < count && ::poll(&p, 1, 1000) == 1 && ::read(fd, &byte, 1) == 1)
        bytes.push_back(byte);
    return bytes;
}

TEST(SerialPort, OpensAByIdLinkRaw8N1AndPassesEveryByte) {
    CPseudoTerminal pty;
    ASSERT_TRUE(pty.IsOpen());
    std::string dir = (fs::temp_directory_path() / "tavro-serial-XXXXXX").string();
    ASSERT_NE(::mkdtemp(dir.data()), nullptr);
    const fs::path link = fs::path(dir) / "usb-Prolific_USB-Serial_Controller_AB0CDE12-if00-port0";
    fs::create_symlink(pty.SlavePath(), link);

    CSerialPort port;
    const SerialOpenResult opened = port.Open(link.string(), 2400, SerialRestLines::Keep);
    ASSERT_TRUE(opened) << opened.detail;
    termios t; // the master side reads the slave's settings
    ASSERT_EQ(::tcgetattr(pty.MasterFd(), &t), 0);
    EXPECT_EQ(::cfgetospeed(&t), speed_t(B2400));
    EXPECT_EQ(t.c_cflag & (CSIZE | PARENB | CSTOPB | CRTSCTS | HUPCL | CLOCAL),
              tcflag_t(CS8 | CLOCAL));
    EXPECT_EQ(t.c_iflag & (IXON | IXOFF | ICRNL), 0u);
    EXPECT_EQ(t.c_lflag & (ICANON | ECHO | ISIG), 0u);

    // Line ends, flow control and interrupt characters are plain bytes both ways.
    const Bytes special{0x00, 0x0A, 0x0D, 0x11, 0x13, 0x03, 0xFF};
    for (uint8_t b : special)
        ASSERT_TRUE(port.WriteByte(b));
    EXPECT_EQ(ReadMaster(pty.MasterFd(), special.size()), special);
    ASSERT_EQ(::write(pty.MasterFd(), special.data(), special.size()), ssize_t(special.size()));
    for (uint8_t b : special)
        EXPECT_EQ(port.ReadByte(1000), std::optional<uint8_t>(b));
    const auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(port.ReadByte(100), std::nullopt);
    EXPECT_GE(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(90));

    ASSERT_TRUE(port.Open(pty.SlavePath(), 300, SerialRestLines::Keep));
    ASSERT_EQ(::tcgetattr(pty.MasterFd(), &t), 0);
    EXPECT_EQ(::cfgetospeed(&t), speed_t(B300));
    // The far end going away (an adapter unplugged) shows as a lost port.
    EXPECT_FALSE(port.IsLost());
    pty.HangUp();
    EXPECT_TRUE(port.IsLost());
    port.Close();
    EXPECT_FALSE(port.WriteByte(0x55));
    EXPECT_EQ(port.ReadByte(0), std::nullopt);
    fs::remove_all(dir);
}

TEST(SerialPort, FailuresNameTheStepAndWhatToDoAndMissingModemLinesAreLoggedOnce) {
    CSerialPort port;
    SerialOpenResult r = port.Open("/dev/tavro-no-such-port", 2400, SerialRestLines::Keep);
    EXPECT_EQ(r.error, SerialOpenError::Open);
    EXPECT_NE(r.detail.find("[COM_PORTS]"), std::string::npos) << r.detail;
    r = port.Open("/dev/null", 2400, SerialRestLines::Keep);
    EXPECT_EQ(r.error, SerialOpenError::Query);
    EXPECT_NE(r.detail.find("not a serial port"), std::string::npos) << r.detail;
    // A port owned by another group names it, and how to join it.
    const fs::path device = fs::temp_directory_path() / "tavro-ttyUSB-permission";
    std::ofstream(device.string()).put('x');
    ASSERT_EQ(::chown(device.c_str(), uid_t(-1), 20), 0); // dialout on Debian
    EXPECT_EQ(SerialOpenErrorText(device.string(), EACCES),
              device.string() + ": Permission denied. " + device.string() +
                  " belongs to group dialout: add yourself to it (sudo usermod -aG dialout "
                  "$USER), then log in again.");
    fs::remove(device);

    CPseudoTerminal pty;
    ASSERT_TRUE(pty.IsOpen());
    r = port.Open(pty.SlavePath(), 1234, SerialRestLines::Keep);
    EXPECT_EQ(r.error, SerialOpenError::Configure);
    EXPECT_FALSE(port.IsOpen());

    // Not shared, not even with a second opener running as root.
    testing::internal::CaptureStderr();
    ASSERT_TRUE(port.Open(pty.SlavePath(), 2400, SerialRestLines::BothLow));
    CSerialPort other;
    r = other.Open(pty.SlavePath(), 2400, SerialRestLines::Keep);
    EXPECT_EQ(r.error, SerialOpenError::Open);
    EXPECT_NE(r.detail.find("Another program"), std::string::npos) << r.detail;

    // A pseudo-terminal has no modem lines: one log line, then the calls fail quietly.
    EXPECT_FALSE(port.SetRts(true));
    EXPECT_FALSE(port.SetDtr(false));
    EXPECT_EQ(port.ModemStatus(), std::nullopt);
    const std::string log = testing::internal::GetCapturedStderr();
    EXPECT_EQ(std::count(log.begin(), log.end(), '\n'), 1) << log;
    EXPECT_NE(log.find(pty.SlavePath()), std::string::npos) << log;
}

} // namespace
