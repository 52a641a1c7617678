#pragma once

#include <string>

// Why the file at path cannot be read as a program's input: "no such file",
// "is a directory", "empty file", or the system's reason it cannot be read
// ("Permission denied"); empty when it can be read.
std::string InputFileProblem(const std::string& path);
