#pragma once

#include <string>

// The group that owns the device file at `path`, by name where it has one ("unknown" when the
// file cannot be read).
std::string DeviceGroup(const std::string& path);

// What to do when the device at `path` cannot be opened for lack of permission: the group
// that owns it (`usualGroup` when the file cannot be read) and the command that makes the user
// a member.
std::string GroupPermissionHint(const std::string& path, const std::string& usualGroup);
