#pragma once

#include <string>

// The path of one of the built programs ("tavro-tool", "tavro-server",
// "tavro-client"): the environment variable TAVRO_TOOL, TAVRO_SERVER or
// TAVRO_CLIENT when set, else the program in the build tree.
std::string ProgramPath(const std::string& name);

// Runs the built tavro-tool with the given shell-quoted arguments; standard
// error is discarded.
struct ToolResult {
    int exitCode = -1;
    std::string out;
};
ToolResult RunTool(const std::string& arguments);
// Runs one of the built programs with the given shell-quoted arguments; `out` holds its
// standard output and standard error together. A run that lasts a minute is ended (exit
// code 124).
ToolResult RunProgram(const std::string& name, const std::string& arguments);
