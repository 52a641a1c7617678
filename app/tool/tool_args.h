#pragma once

#include <optional>
#include <span>
#include <string>
#include <vector>

// An option "--name N" that takes a whole decimal number from min to max.
struct IntOption {
    const char* name;
    int min;
    int max;
    int* value;
};

// What a command accepts: its usage text (from "Usage:" on), its number
// options and how many positional arguments it takes.
struct ToolCommandSyntax {
    const char* usage;
    std::span<const IntOption> options;
    size_t minPositional;
    size_t maxPositional;
};

// Parses a command's arguments (those after the command name) into its
// number options and, in order, its positional arguments; "--name N" and
// "--name=N" both work, and "--" ends the options. Returns no value when the
// command is to run; otherwise the exit code it returns at once: 0 after
// --help or -h (the usage on standard output), 2 for bad arguments (the
// reason and the usage on standard error).
std::optional<int> ParseToolArgs(int argc, char** argv, const ToolCommandSyntax& syntax,
                                 std::vector<std::string>& positional);
