#pragma once

#include <memory>
#include <optional>
#include <string>

// The output that keys the transmitter for the CM108 and GPIO methods. The line knows its
// levels: keyed and released are what the settings make of high and low.
class IKeyingLine {
public:
    virtual ~IKeyingLine() = default;
    // Drives the line to its keyed or released level; false when that failed.
    virtual bool Set(bool keyed) = 0;
    // The device has gone (unplugged); the line stays useless until it is opened again.
    virtual bool IsLost() = 0;
};

// The input that carries the receiver's squelch for the CM108 and GPIO methods.
class ISquelchInput {
public:
    virtual ~ISquelchInput() = default;
    // Whether the squelch is open now; none when the input cannot be read.
    virtual std::optional<bool> IsOpen() = 0;
    virtual bool IsLost() = 0;
};

// What opening the device of the CM108 or GPIO method gave.
struct RigLines {
    std::unique_ptr<IKeyingLine> key;       // none when opening failed
    std::unique_ptr<ISquelchInput> squelch; // none without a squelch input (or a key line)
    std::string name;                       // "CM108 /dev/hidraw2", for the log
    std::string problem;                    // why opening failed: the reason, what to do
};
