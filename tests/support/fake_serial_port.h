#pragma once

#include "platform/clock.h"
#include "platform/serial_port.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

// A serial device for tests, seen from both ends: the code under test gets ports on it from
// Factory(), the test scripts its modem inputs and the answers of the board behind
// it, and reads back what the ports did with timestamps. Every method may be called from any
// thread; the device outlives the ports made on it.
class CFakeSerialDevice {
public:
    struct Write {
        uint8_t byte;
        uint32_t ticks;
    };
    struct LineChange {
        char line; // 'R' for RTS, 'D' for DTR
        bool asserted;
        uint32_t ticks;
    };
    // The board's answer to a written byte: none sends nothing.
    using Responder = std::function<std::optional<uint8_t>(uint8_t written)>;

    // Timestamps are read from `clock`.
    explicit CFakeSerialDevice(IClock& clock = SystemClock());
    ~CFakeSerialDevice();
    CFakeSerialDevice(const CFakeSerialDevice&) = delete;
    CFakeSerialDevice& operator=(const CFakeSerialDevice&) = delete;

    // A port factory for the code under test: each call makes a port on this device. Opening
    // a port asserts RTS and DTR before its rest rule applies, as a serial driver does.
    std::function<std::unique_ptr<ISerialPort>()> Factory();

    // Opens fail at `step` from now on (None: they succeed again).
    void FailOpen(SerialOpenError step);
    // Unplugged, the open port is lost (its operations fail) and opens fail; plugged in again,
    // opens work.
    void Unplug(bool unplugged);
    void SetCts(bool asserted);
    // CTS reads as `asserted` for the next `reads` status reads, then as set before: a blip
    // of an exact length, however the reads are timed.
    void BlipCts(bool asserted, int reads);
    void SetDsr(bool asserted);
    // While set, ModemStatus fails (the read is still counted).
    void FailModemStatus(bool fail);
    void SetResponder(Responder responder);

    bool IsOpen() const;
    int Opens() const;
    std::string OpenedPath() const;
    int OpenedBaud() const;
    bool Rts() const;
    bool Dtr() const;
    int StatusReads() const;
    std::vector<Write> Writes() const;
    std::vector<uint8_t> WrittenBytes() const;
    // Changes of RTS and DTR made while a port was open, including those of the rest rule.
    std::vector<LineChange> LineChanges() const;

    // Waits up to timeoutMs until `condition` holds; it is checked now and after every change
    // of the device (a write, a line change, a status read, an open or close).
    bool WaitUntil(const std::function<bool()>& condition, int timeoutMs) const;
    bool WaitForWrites(size_t count, int timeoutMs) const;
    bool WaitForStatusReads(int count, int timeoutMs) const;

private:
    friend class CFakeSerialPort;
    struct State;
    std::shared_ptr<State> state_;
};

// A pseudo-terminal pair: the slave is a serial device that CSerialPort can open by its path,
// the master is the far end of the line (a board simulator's side).
class CPseudoTerminal {
public:
    CPseudoTerminal();
    ~CPseudoTerminal();
    CPseudoTerminal(const CPseudoTerminal&) = delete;
    CPseudoTerminal& operator=(const CPseudoTerminal&) = delete;

    bool IsOpen() const { return master_ >= 0; }
    int MasterFd() const { return master_; }
    const std::string& SlavePath() const { return slavePath_; }
    // Closes the far end, which hangs the line up as unplugging an adapter does.
    void HangUp();

private:
    int master_ = -1;
    std::string slavePath_;
};
