#pragma once

#include "platform/device_loss.h"

#include <cstdint>
#include <optional>
#include <string>

// What Open does with the RTS and DTR lines, which the system raises when a serial device is
// opened.
enum class SerialRestLines {
    Keep,    // leave them as the open left them
    BothLow, // clear both, so that neither line is asserted at rest
};

// The step at which opening a port failed.
enum class SerialOpenError {
    None,
    Open,      // the device could not be opened
    Query,     // its line settings could not be read (not a terminal)
    Configure, // the settings could not be applied (for example an unsupported baud rate)
};

struct SerialOpenResult {
    SerialOpenError error = SerialOpenError::None;
    // One line for the user: the device, the reason and, where there is one, what to do.
    std::string detail;

    explicit operator bool() const { return error == SerialOpenError::None; }
};

// The two modem status inputs, true when the line is asserted.
struct ModemLines {
    bool cts = false;
    bool dsr = false;
};

// A serial port with single-byte I/O and the RS-232 control lines, as rig keying needs it.
// All operations on a port that is not open fail without effect.
class ISerialPort {
public:
    virtual ~ISerialPort() = default;

    // Opens the device at `path` (any path: /dev/ttyS0, /dev/ttyUSB0, a /dev/serial/by-id link,
    // a pseudo-terminal) for exclusive use at `baud`, 8 data bits, no parity, one stop bit, raw,
    // without flow control. A port that is open is closed first.
    virtual SerialOpenResult Open(const std::string& path, int baud, SerialRestLines rest) = 0;
    // Closes the port; the control lines keep their levels.
    virtual void Close() = 0;
    virtual bool IsOpen() const = 0;
    // The device has gone (a USB adapter unplugged): the line hung up, or an operation failed
    // with EIO, ENXIO or ENODEV. The port stays open, useless, until Close.
    virtual bool IsLost() = 0;

    // Assert (true) or clear (false) one output line.
    virtual bool SetRts(bool asserted) = 0;
    virtual bool SetDtr(bool asserted) = 0;
    // The levels of CTS and DSR; none when they cannot be read.
    virtual std::optional<ModemLines> ModemStatus() = 0;

    // Sends one byte; false when it could not be handed to the device within a second.
    virtual bool WriteByte(uint8_t byte) = 0;
    // The next received byte, waiting at most timeoutMs for it; none on time-out or error.
    virtual std::optional<uint8_t> ReadByte(int timeoutMs) = 0;
    // Drops the bytes received and not yet read.
    virtual void DiscardInput() = 0;
};

// A serial port through termios and the modem-line ioctls. A device without modem lines (a
// pseudo-terminal) works for bytes; the line calls then fail, which is written to stderr once
// per open.
class CSerialPort : public ISerialPort {
public:
    CSerialPort() = default;
    ~CSerialPort() override;
    CSerialPort(const CSerialPort&) = delete;
    CSerialPort& operator=(const CSerialPort&) = delete;

    SerialOpenResult Open(const std::string& path, int baud, SerialRestLines rest) override;
    void Close() override;
    bool IsOpen() const override { return fd_ >= 0; }
    bool IsLost() override;
    bool SetRts(bool asserted) override;
    bool SetDtr(bool asserted) override;
    std::optional<ModemLines> ModemStatus() override;
    bool WriteByte(uint8_t byte) override;
    std::optional<uint8_t> ReadByte(int timeoutMs) override;
    void DiscardInput() override;

private:
    bool ChangeLines(int bits, bool asserted);
    void ReportLineFailure(int error);

    int fd_ = -1;
    CDeviceLoss loss_;
    std::string path_;
    bool lineFailureReported_ = false;
};

// The text of SerialOpenResult::detail for an open(2) of `path` that failed with errno `error`.
std::string SerialOpenErrorText(const std::string& path, int error);
