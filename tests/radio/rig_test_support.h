#pragma once

#include "platform/com_ports.h"
#include "platform/ini_file.h"
#include "radio/rig_keying.h"
#include "tests/support/fake_serial_port.h"

#include <chrono>
#include <condition_variable>
#include <mutex>
#include <string>
#include <vector>

// The squelch changes a monitor delivered, each with the fake device's status read count and
// the time at its delivery.
class CSquelchEvents {
public:
    struct Event {
        bool open;
        int statusReads;
        std::chrono::steady_clock::time_point at;
    };

    explicit CSquelchEvents(const CFakeSerialDevice* device = nullptr) : device_(device) {}

    std::function<void(bool)> Callback() {
        return [this](bool open) {
            const int reads = device_ ? device_->StatusReads() : 0;
            std::lock_guard lock(mutex_);
            events_.push_back({open, reads, std::chrono::steady_clock::now()});
            changed_.notify_all();
        };
    }
    bool WaitForCount(size_t count) {
        std::unique_lock lock(mutex_);
        return changed_.wait_for(lock, std::chrono::seconds(3),
                                 [&] { return events_.size() >= count; });
    }
    std::vector<Event> Events() const {
        std::lock_guard lock(mutex_);
        return events_;
    }

private:
    const CFakeSerialDevice* device_;
    mutable std::mutex mutex_;
    std::condition_variable changed_;
    std::vector<Event> events_;
};

// A rig keying object's options on a fake serial device. COM ports map to devices through the
// settings file's [COM_PORTS] section, as the window sets it up.
struct RigOnFakePort {
    explicit RigOnFakePort(IClock& deviceClock = SystemClock())
        : device(deviceClock), events(&device) {
        ini.LoadText("[COM_PORTS]\nCOM2=/dev/ttyUSB0\n"
                     "COM3=/dev/serial/by-id/usb-FTDI_FT232R-if00-port0\n");
    }

    RigKeyingOptions Options(IClock& clock = SystemClock(), int pollIntervalMs = 50) {
        RigKeyingOptions options;
        options.devicePath = [this](int port) { return ComPortDevicePath(ini, port); };
        options.portFactory = device.Factory();
        options.onSquelch = events.Callback();
        options.onError = [this](const std::string& message, const std::string& detail) {
            errors.push_back(message);
            details.push_back(detail);
        };
        options.onNote = [this](const std::string& line) { notes.push_back(line); };
        options.clock = &clock;
        options.pollIntervalMs = pollIntervalMs;
        return options;
    }

    CIniFile ini;
    CFakeSerialDevice device;
    CSquelchEvents events;
    std::vector<std::string> errors;
    std::vector<std::string> details;
    std::vector<std::string> notes; // from the thread that calls the rig
};
