#pragma once

#include <string>

// Runs the built tavro-tool (path from the TAVRO_TOOL environment variable,
// which ctest sets) with the given shell-quoted arguments.
struct ToolResult {
    int exitCode = -1;
    std::string out;
};

// Empty when TAVRO_TOOL is not set (the test should then skip).
std::string ToolPath();
ToolResult RunTool(const std::string& arguments);
