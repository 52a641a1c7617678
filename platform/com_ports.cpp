#include "platform/com_ports.h"

#include "platform/ini_file.h"

#include <algorithm>
#include <filesystem>
#include <set>

std::string ComPortDevicePath(const CIniFile& settings, int port) {
    if (port < 1)
        return {};
    std::string device = settings.GetText("COM_PORTS", "COM" + std::to_string(port), "");
    if (device.empty())
        device = "/dev/ttyS" + std::to_string(port - 1);
    return device;
}

std::vector<SerialDeviceEntry> ListSerialDevices(const std::string& devRoot) {
    namespace fs = std::filesystem;
    std::error_code error;
    std::vector<SerialDeviceEntry> entries;
    std::set<std::string> named; // devices that a by-id link names
    for (const auto& link : fs::directory_iterator(fs::path(devRoot) / "serial" / "by-id", error)) {
        const fs::path device = fs::canonical(link.path(), error);
        if (error)
            continue;
        entries.push_back({link.path().string(), device.string()});
        named.insert(device.string());
    }
    std::vector<SerialDeviceEntry> plain;
    for (const auto& file : fs::directory_iterator(devRoot, error)) {
        const std::string name = file.path().filename().string();
        const std::string device = fs::canonical(file.path(), error).string();
        if ((name.starts_with("ttyUSB") || name.starts_with("ttyACM")) && !named.count(device))
            plain.push_back({file.path().string(), device});
    }
    auto byName = [](const SerialDeviceEntry& a, const SerialDeviceEntry& b) {
        return a.name < b.name;
    };
    std::sort(entries.begin(), entries.end(), byName);
    std::sort(plain.begin(), plain.end(), byName);
    entries.insert(entries.end(), plain.begin(), plain.end());
    return entries;
}
