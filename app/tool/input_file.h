#pragma once

#include <string>

// Why the file at path cannot serve as a command's input: "no such file",
// "is a directory", "empty file", or the system's reason it cannot be read
// ("Permission denied"); empty when it can be read.
std::string InputFileProblem(const std::string& path);

// Prints "tavro-tool: PATH: PROBLEM" on standard error and returns true when
// the file has a problem.
bool ReportInputFileProblem(const std::string& path);
