#pragma once

#include "platform/device_loss.h"

#include <optional>
#include <string>

// The udev rule, shipped with the program, that gives the CM108/CM119 chips' hidraw nodes to
// group audio.
inline constexpr char kCm108UdevRule[] = "60-tavro-cm108.rules";

// A CM108/CM119 sound chip through its hidraw node: drives one GPIO pin and follows the
// volume-down input. One thread at a time may use it.
class CCm108Device {
public:
    CCm108Device() = default;
    ~CCm108Device();
    CCm108Device(const CCm108Device&) = delete;
    CCm108Device& operator=(const CCm108Device&) = delete;

    // Opens the node for writing reports and reading them without waiting; empty when it
    // worked, else the reason (HidrawOpenErrorText).
    std::string Open(const std::string& node);
    // Makes `pin` an output at the level `high`; false when the chip did not take the report.
    bool SetPin(int pin, bool high);
    // Whether the volume-down input is pressed after the input reports that came since the
    // last call; none when reading failed. Until the chip's first report (it sends one on
    // every change) the input counts as released.
    std::optional<bool> VolumeDown();
    // The chip has gone (unplugged): the node hung up, or an operation failed with ENODEV,
    // EIO or ENXIO.
    bool IsLost();

private:
    int fd_ = -1;
    CDeviceLoss loss_;
    bool volumeDown_ = false;
};

// Why opening the hidraw node failed, as one line for the user; for a permission problem it
// names the node's group and the udev rule to install.
std::string HidrawOpenErrorText(const std::string& node, int error);
// That line for a node that could not be opened for lack of permission and belongs to `group`.
std::string HidrawPermissionText(const std::string& node, const std::string& group);
