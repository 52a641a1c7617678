#pragma once

#include <string>

class CIniFile;

// The device that serial port number `port` (the "COM" number of the rig settings) opens: the
// value of key "COM<port>" in section "COM_PORTS" of the settings file when it is set, else
// /dev/ttyS<port - 1>. A port number below 1 names no device (empty text).
std::string ComPortDevicePath(const CIniFile& settings, int port);
