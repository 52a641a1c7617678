#pragma once

#include <string>

// The settings file used when none is given: "<ConfigDir()>/<executable base name>.INI",
// the same name for each program that the executable's name selects.
std::string DefaultSettingsPath();
