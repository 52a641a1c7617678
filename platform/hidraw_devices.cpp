#include "platform/hidraw_devices.h"

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <system_error>

namespace fs = std::filesystem;

namespace {

constexpr uint16_t kCMediaVendor = 0x0d8c;
// CM108, CM108AH, CM108B, CM119, CM119A/B and the variants sold in radio interfaces.
constexpr uint16_t kCm108Products[] = {0x000c, 0x0008, 0x000e, 0x0012,
                                       0x0013, 0x0014, 0x013a, 0x013c};

// "hidraw12" -> 12; -1 for a name of another form.
int NodeNumber(const std::string& name) {
    if (!name.starts_with("hidraw") || name.size() == 6)
        return -1;
    int number = 0;
    for (char c : name.substr(6)) {
        if (c < '0' || c > '9')
            return -1;
        number = number * 10 + (c - '0');
    }
    return number;
}

// Fills the ids and name from a uevent file's "HID_ID=0003:00000D8C:0000000C" and
// "HID_NAME=..." lines; false without an id line.
bool ReadUevent(const fs::path& path, HidrawDevice& device) {
    std::ifstream file(path);
    std::string line;
    bool found = false;
    while (std::getline(file, line)) {
        unsigned bus = 0, vendor = 0, product = 0;
        if (line.starts_with("HID_ID=") &&
            std::sscanf(line.c_str() + 7, "%x:%x:%x", &bus, &vendor, &product) == 3) {
            device.vendor = uint16_t(vendor);
            device.product = uint16_t(product);
            found = true;
        } else if (line.starts_with("HID_NAME=")) {
            device.name = line.substr(9);
        }
    }
    return found;
}

} // namespace

std::vector<HidrawDevice> ListHidrawDevices(const std::string& sysfsRoot) {
    std::vector<std::pair<int, HidrawDevice>> numbered;
    std::error_code error;
    for (const fs::directory_entry& entry :
         fs::directory_iterator(fs::path(sysfsRoot) / "class" / "hidraw", error)) {
        const std::string name = entry.path().filename().string();
        const int number = NodeNumber(name);
        HidrawDevice device;
        if (number < 0 || !ReadUevent(entry.path() / "device" / "uevent", device))
            continue;
        device.node = "/dev/" + name;
        numbered.emplace_back(number, std::move(device));
    }
    std::ranges::sort(numbered, {}, &std::pair<int, HidrawDevice>::first);
    std::vector<HidrawDevice> devices;
    for (auto& [number, device] : numbered)
        devices.push_back(std::move(device));
    return devices;
}

bool IsCm108UsbId(uint16_t vendor, uint16_t product) {
    return vendor == kCMediaVendor &&
           std::ranges::find(kCm108Products, product) != std::end(kCm108Products);
}

std::string Cm108UsbIdList() {
    std::string list;
    for (uint16_t product : kCm108Products) {
        char id[16];
        std::snprintf(id, sizeof id, "%04x:%04x", kCMediaVendor, product);
        list += (list.empty() ? "" : ", ") + std::string(id);
    }
    return list;
}

std::vector<HidrawDevice> FindCm108Devices(const std::string& sysfsRoot) {
    std::vector<HidrawDevice> devices = ListHidrawDevices(sysfsRoot);
    std::erase_if(devices,
                  [](const HidrawDevice& d) { return !IsCm108UsbId(d.vendor, d.product); });
    return devices;
}
