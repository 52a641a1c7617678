#pragma once

#include <cstdint>
#include <string>

// The program's version as the server sees it: major * 100 + minor (134 for 1.34).
int32_t ProgramVersionNumber();
// "1.34 - Build 2 " for version 1.34.0.2 (the minor part always has two digits).
std::string ProgramVersionText();
// Formats the version text from its parts.
std::string FormatVersionText(int major, int minor, int build);
// A 32-bit number that identifies this computer's file system: the low 32
// bits of the current directory's file-system id, 0 when it cannot be read.
uint32_t MachineValue();
