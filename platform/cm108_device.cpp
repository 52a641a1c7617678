#include "platform/cm108_device.h"

#include "platform/cm108_report.h"
#include "platform/device_group.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>
#include <cstring>

CCm108Device::~CCm108Device() {
    if (fd_ >= 0)
        ::close(fd_);
}

std::string CCm108Device::Open(const std::string& node) {
    if (fd_ >= 0)
        ::close(fd_);
    loss_.Reset();
    volumeDown_ = false;
    fd_ = ::open(node.c_str(), O_RDWR | O_NONBLOCK | O_CLOEXEC | O_NOCTTY);
    return fd_ < 0 ? HidrawOpenErrorText(node, errno) : std::string();
}

bool CCm108Device::SetPin(int pin, bool high) {
    const auto report = Cm108GpioReport(pin, high);
    const ssize_t written = ::write(fd_, report.data(), report.size());
    if (written < 0)
        loss_.Note(errno);
    return written == ssize_t(report.size());
}

std::optional<bool> CCm108Device::VolumeDown() {
    for (;;) {
        // hidraw hands over one report per read.
        uint8_t report[64];
        const ssize_t n = ::read(fd_, report, sizeof report);
        if (n > 0) {
            volumeDown_ = Cm108VolumeDownPressed(report, size_t(n));
            continue;
        }
        if (n < 0 && errno != EAGAIN) {
            loss_.Note(errno);
            return std::nullopt;
        }
        return volumeDown_;
    }
}

bool CCm108Device::IsLost() {
    return loss_.Check(fd_);
}

std::string HidrawOpenErrorText(const std::string& node, int error) {
    if (error == EACCES || error == EPERM)
        return HidrawPermissionText(node, DeviceGroup(node));
    std::string text = node + ": " + std::strerror(error) + ".";
    if (error == ENOENT)
        text += " Plug the sound chip in, or name its device in CM108DEV of section [TX_CTRL] "
                "(empty: the first C-Media chip found).";
    return text;
}

std::string HidrawPermissionText(const std::string& node, const std::string& group) {
    return node + ": " + std::strerror(EACCES) + ". The device belongs to group " + group +
           ". Install the udev rule " + kCm108UdevRule +
           " (the package installs it; by hand copy packaging/udev/" + kCm108UdevRule +
           " to /etc/udev/rules.d/), which gives C-Media sound chips to group audio; add "
           "yourself to that group (sudo usermod -aG audio $USER), log in again and plug the "
           "chip in again.";
}
