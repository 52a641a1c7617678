#pragma once

#include <string>
#include <vector>

class CIniFile;

// The device that serial port number `port` (the "COM" number of the rig settings) opens: the
// value of key "COM<port>" in section "COM_PORTS" of the settings file when it is set, else
// /dev/ttyS<port - 1>. A port number below 1 names no device (empty text).
std::string ComPortDevicePath(const CIniFile& settings, int port);

// A serial device of this machine: the name to put in "COM_PORTS" (its /dev/serial/by-id link,
// which keeps its name whichever USB socket it is in, when it has one) and the device it is now.
struct SerialDeviceEntry {
    std::string name;
    std::string device;
};

// The USB serial adapters (ttyUSB, ttyACM) under devRoot, by-id names first, in name order.
std::vector<SerialDeviceEntry> ListSerialDevices(const std::string& devRoot = "/dev");
