#pragma once

#include <optional>
#include <string>

struct gpiod_chip;
struct gpiod_line;

// One line of a GPIO chip, requested from the kernel's GPIO character device through libgpiod,
// as an output or an input. One thread at a time may use it.
class CGpioLine {
public:
    CGpioLine() = default;
    // Gives the line back (an output keeps its level).
    ~CGpioLine();
    CGpioLine(const CGpioLine&) = delete;
    CGpioLine& operator=(const CGpioLine&) = delete;

    // Requests line `line` (its name, or its offset as a decimal number) of chip `chip` (a name
    // such as "gpiochip0", a /dev path, a label or a number) as an output starting at `high`, or
    // as an input. Empty when it worked, else the reason.
    std::string OpenOutput(const std::string& chip, const std::string& line, bool high);
    std::string OpenInput(const std::string& chip, const std::string& line);

    // Drives an output line; false when that failed.
    bool Set(bool high);
    // The level of an input line; none when it cannot be read.
    std::optional<bool> Get();
    // The chip has gone (a USB GPIO adapter unplugged): an operation failed with ENODEV, EIO
    // or ENXIO.
    bool IsLost() const { return lost_; }

private:
    std::string Open(const std::string& chip, const std::string& line, bool output, bool high);
    void Close();
    void NoteFailure(int error);

    gpiod_chip* chip_ = nullptr;
    gpiod_line* line_ = nullptr;
    bool lost_ = false;
};
