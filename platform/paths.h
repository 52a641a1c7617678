#pragma once

#include <string>

// Where the program keeps its files, following the XDG base directories.

// "$XDG_CONFIG_HOME/tavro" or "~/.config/tavro".
std::string ConfigDir();
// "$XDG_STATE_HOME/tavro" or "~/.local/state/tavro".
std::string StateDir();
// Creates a directory and its parents (mode 0700 for new ones); true when it exists afterwards.
bool MakeDirectories(const std::string& path);
