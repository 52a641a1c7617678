#pragma once

#include <span>
#include <vector>

// An option "--name N" that takes a whole decimal number from min to max.
struct IntOption {
    const char* name;
    int min;
    int max;
    int* value;
};

// Sorts a command's arguments into the options given and the positional
// arguments, in order. False for an unknown "--" option or an option whose
// number is missing, malformed or out of range.
bool ParseToolArgs(int argc, char** argv, std::span<const IntOption> options,
                   std::vector<const char*>& positional);
