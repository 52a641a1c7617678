#pragma once

#include <cstdint>
#include <string>
#include <vector>

// A HID device node as sysfs lists it.
struct HidrawDevice {
    std::string node; // "/dev/hidraw2"
    uint16_t vendor = 0;
    uint16_t product = 0;
    std::string name; // the device's own name (HID_NAME), may be empty
};

// The hidraw devices under <sysfsRoot>/class/hidraw, by number, with the USB (or other bus) ids
// of their HID_ID line in <sysfsRoot>/class/hidraw/hidrawN/device/uevent; an entry without one
// is left out.
std::vector<HidrawDevice> ListHidrawDevices(const std::string& sysfsRoot = "/sys");

// Whether vendor:product is a C-Media sound chip with the CM108/CM119 GPIO reports.
bool IsCm108UsbId(uint16_t vendor, uint16_t product);
// The ids IsCm108UsbId accepts, "0d8c:000c, 0d8c:0008, ...", for messages.
std::string Cm108UsbIdList();

// The hidraw devices of CM108/CM119 chips, by number.
std::vector<HidrawDevice> FindCm108Devices(const std::string& sysfsRoot = "/sys");
