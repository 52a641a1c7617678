#include "platform/serial_port.h"

#include "platform/device_group.h"

#include <fcntl.h>
#include <poll.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstring>

namespace {

constexpr int kWriteTimeoutMs = 1000;

struct BaudRate {
    int baud;
    speed_t speed;
};
constexpr BaudRate kBaudRates[] = {
    {300, B300},   {600, B600},     {1200, B1200},   {2400, B2400},   {4800, B4800},
    {9600, B9600}, {19200, B19200}, {38400, B38400}, {57600, B57600}, {115200, B115200},
};

std::optional<speed_t> SpeedFor(int baud) {
    for (const BaudRate& rate : kBaudRates)
        if (rate.baud == baud)
            return rate.speed;
    return std::nullopt;
}

// Waits up to timeoutMs for `events` on fd, resuming after signals. True when they came.
bool WaitFor(int fd, short events, int timeoutMs) {
    using Clock = std::chrono::steady_clock;
    const auto deadline = Clock::now() + std::chrono::milliseconds(timeoutMs);
    for (;;) {
        const auto left =
            std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now());
        pollfd p{fd, events, 0};
        const int n = ::poll(&p, 1, left.count() > 0 ? int(left.count()) : 0);
        if (n > 0)
            return (p.revents & events) != 0;
        if (n == 0 || errno != EINTR)
            return false;
    }
}

} // namespace

std::string SerialOpenErrorText(const std::string& path, int error) {
    std::string text = path + ": " + std::strerror(error);
    switch (error) {
    case EACCES:
    case EPERM:
        text += ". " + GroupPermissionHint(path, "dialout");
        break;
    case ENOENT:
        text += ". Check the COM port number, or name the device for it in section [COM_PORTS] "
                "of the settings file (for example COM1=/dev/ttyUSB0).";
        break;
    case EBUSY:
        text += ". Another program is using the port; close it.";
        break;
    case ENXIO:
    case ENODEV:
        text += ". No serial hardware answers at this device; check the COM port number.";
        break;
    default:
        text += ".";
        break;
    }
    return text;
}

CSerialPort::~CSerialPort() {
    Close();
}

SerialOpenResult CSerialPort::Open(const std::string& path, int baud, SerialRestLines rest) {
    Close();
    // Non-blocking, so that neither the open nor a read waits for carrier detect.
    const int fd = ::open(path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0)
        return {SerialOpenError::Open, SerialOpenErrorText(path, errno)};
    // Exclusive use: the advisory lock keeps out other programs that lock their ports (it also
    // binds root, whom TIOCEXCL does not), TIOCEXCL the others.
    if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
        const int error = errno;
        ::close(fd);
        return {SerialOpenError::Open,
                SerialOpenErrorText(path, error == EWOULDBLOCK ? EBUSY : error)};
    }

    termios settings;
    if (::tcgetattr(fd, &settings) != 0) {
        const int error = errno;
        ::close(fd);
        return {SerialOpenError::Query,
                path + ": " + std::strerror(error) + " (this device is not a serial port)."};
    }
    const std::optional<speed_t> speed = SpeedFor(baud);
    if (!speed) {
        ::close(fd);
        return {SerialOpenError::Configure,
                path + ": " + std::to_string(baud) + " baud is not a supported rate."};
    }
    ::cfmakeraw(&settings);
    settings.c_cflag &= ~(CSIZE | PARENB | CSTOPB | CRTSCTS);
    settings.c_cflag |= CS8 | CREAD | CLOCAL;
    // Without HUPCL the lines keep their levels when the port closes, so a released
    // transmitter stays released whichever level releases it.
    settings.c_cflag &= ~HUPCL;
    settings.c_iflag &= ~(IXON | IXOFF | IXANY);
    settings.c_cc[VMIN] = 0;
    settings.c_cc[VTIME] = 0;
    if (::cfsetispeed(&settings, *speed) != 0 || ::cfsetospeed(&settings, *speed) != 0 ||
        ::tcsetattr(fd, TCSANOW, &settings) != 0) {
        const int error = errno;
        ::close(fd);
        return {SerialOpenError::Configure, path + ": " + std::strerror(error) + "."};
    }
    ::ioctl(fd, TIOCEXCL);
    ::tcflush(fd, TCIOFLUSH);

    fd_ = fd;
    path_ = path;
    loss_.Reset();
    lineFailureReported_ = false;
    if (rest == SerialRestLines::BothLow)
        ChangeLines(TIOCM_RTS | TIOCM_DTR, false);
    return {};
}

void CSerialPort::Close() {
    if (fd_ < 0)
        return;
    ::close(fd_);
    fd_ = -1;
}

// A removed adapter hangs its line up; CLOCAL keeps a carrier loss from doing so.
bool CSerialPort::IsLost() {
    return loss_.Check(fd_);
}

bool CSerialPort::SetRts(bool asserted) {
    return ChangeLines(TIOCM_RTS, asserted);
}

bool CSerialPort::SetDtr(bool asserted) {
    return ChangeLines(TIOCM_DTR, asserted);
}

bool CSerialPort::ChangeLines(int bits, bool asserted) {
    if (fd_ < 0)
        return false;
    if (::ioctl(fd_, asserted ? TIOCMBIS : TIOCMBIC, &bits) == 0)
        return true;
    if (!loss_.Note(errno))
        ReportLineFailure(errno);
    return false;
}

std::optional<ModemLines> CSerialPort::ModemStatus() {
    if (fd_ < 0)
        return std::nullopt;
    int bits = 0;
    if (::ioctl(fd_, TIOCMGET, &bits) != 0) {
        if (!loss_.Note(errno))
            ReportLineFailure(errno);
        return std::nullopt;
    }
    return ModemLines{(bits & TIOCM_CTS) != 0, (bits & TIOCM_DSR) != 0};
}

void CSerialPort::ReportLineFailure(int error) {
    if (lineFailureReported_)
        return;
    lineFailureReported_ = true;
    std::fprintf(stderr,
                 "serial port %s: the control lines cannot be used (%s); keying and squelch "
                 "lines are ignored\n",
                 path_.c_str(), std::strerror(error));
}

bool CSerialPort::WriteByte(uint8_t byte) {
    if (fd_ < 0)
        return false;
    for (;;) {
        const ssize_t n = ::write(fd_, &byte, 1);
        if (n == 1)
            return true;
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0 && errno == EAGAIN && WaitFor(fd_, POLLOUT, kWriteTimeoutMs))
            continue;
        if (n < 0)
            loss_.Note(errno);
        return false;
    }
}

std::optional<uint8_t> CSerialPort::ReadByte(int timeoutMs) {
    if (fd_ < 0)
        return std::nullopt;
    using Clock = std::chrono::steady_clock;
    const auto deadline = Clock::now() + std::chrono::milliseconds(timeoutMs);
    for (;;) {
        uint8_t byte;
        const ssize_t n = ::read(fd_, &byte, 1);
        if (n == 1)
            return byte;
        if (n < 0 && errno != EAGAIN && errno != EINTR) {
            loss_.Note(errno);
            return std::nullopt;
        }
        const auto left =
            std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now());
        if (left.count() <= 0 || !WaitFor(fd_, POLLIN, int(left.count())))
            return std::nullopt;
    }
}

void CSerialPort::DiscardInput() {
    if (fd_ >= 0)
        ::tcflush(fd_, TCIFLUSH);
}
