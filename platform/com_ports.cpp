#include "platform/com_ports.h"

#include "platform/ini_file.h"

std::string ComPortDevicePath(const CIniFile& settings, int port) {
    if (port < 1)
        return {};
    std::string device = settings.GetText("COM_PORTS", "COM" + std::to_string(port), "");
    if (device.empty())
        device = "/dev/ttyS" + std::to_string(port - 1);
    return device;
}
