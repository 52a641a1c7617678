#pragma once

#include <string>

// Prints "tavro-tool: PATH: PROBLEM" on standard error and returns true when
// the file cannot be read as a command's input (see InputFileProblem).
bool ReportInputFileProblem(const std::string& path);
