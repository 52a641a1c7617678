#include "platform/gpio_line.h"

#include <gpiod.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>

namespace {

constexpr char kConsumer[] = "tavro";

bool IsOffset(const std::string& line) {
    return !line.empty() && line.find_first_not_of("0123456789") == std::string::npos;
}

std::string Reason(const std::string& what, int error) {
    return what + ": " + std::strerror(error) + ".";
}

} // namespace

CGpioLine::~CGpioLine() {
    Close();
}

std::string CGpioLine::OpenOutput(const std::string& chip, const std::string& line, bool high) {
    return Open(chip, line, true, high);
}

std::string CGpioLine::OpenInput(const std::string& chip, const std::string& line) {
    return Open(chip, line, false, false);
}

std::string CGpioLine::Open(const std::string& chip, const std::string& line, bool output,
                            bool high) {
    Close();
    lost_ = false;
    if (line.empty())
        return "No GPIO line is set for chip " + chip + ".";
    chip_ = ::gpiod_chip_open_lookup(chip.c_str());
    if (!chip_) {
        const int error = errno;
        std::string text = Reason("GPIO chip " + chip, error);
        if (error == EACCES || error == EPERM)
            text += " Add yourself to the group of /dev/gpiochip* (often gpio or plugdev) and "
                    "log in again.";
        else if (error == ENOENT || error == ENODEV)
            text += " List the chips with gpiodetect.";
        return text;
    }
    line_ = IsOffset(line)
                ? ::gpiod_chip_get_line(chip_, unsigned(std::strtoul(line.c_str(), nullptr, 10)))
                : ::gpiod_chip_find_line(chip_, line.c_str());
    if (!line_) {
        const int error = errno;
        Close();
        return Reason("GPIO line " + line + " of " + chip, error) +
               " List the lines with gpioinfo.";
    }
    const int requested = output ? ::gpiod_line_request_output(line_, kConsumer, high ? 1 : 0)
                                 : ::gpiod_line_request_input(line_, kConsumer);
    if (requested != 0) {
        const int error = errno;
        line_ = nullptr; // not ours to give back
        Close();
        std::string text = Reason("GPIO line " + line + " of " + chip, error);
        if (error == EBUSY)
            text += " Another program or driver holds it.";
        return text;
    }
    return {};
}

void CGpioLine::Close() {
    if (line_)
        ::gpiod_line_release(line_);
    line_ = nullptr;
    if (chip_)
        ::gpiod_chip_close(chip_);
    chip_ = nullptr;
}

bool CGpioLine::Set(bool high) {
    if (!line_)
        return false;
    if (::gpiod_line_set_value(line_, high ? 1 : 0) == 0)
        return true;
    NoteFailure(errno);
    return false;
}

std::optional<bool> CGpioLine::Get() {
    if (!line_)
        return std::nullopt;
    const int value = ::gpiod_line_get_value(line_);
    if (value >= 0)
        return value != 0;
    NoteFailure(errno);
    return std::nullopt;
}

void CGpioLine::NoteFailure(int error) {
    if (error == EIO || error == ENXIO || error == ENODEV)
        lost_ = true;
}
