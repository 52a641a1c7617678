#pragma once

#include "radio/rig_lines.h"
#include "radio/rig_settings.h"

#include <string>

// Opens the key line of settings.keyingMethod (CM108 or GPIO) released, with its squelch input
// when settings.squelchLine names the method's own. An automatic CM108 device is the first
// chip with a C-Media USB id that sysfs under `sysfsRoot` lists.
RigLines OpenRigLines(const RigSettings& settings, const std::string& sysfsRoot = "/sys");
