#include "tests/support/run_tool.h"

#include <sys/wait.h>

#include <cctype>
#include <cstdio>
#include <cstdlib>

std::string ProgramPath(const std::string& name) {
    std::string variable = "TAVRO_";
    for (size_t i = name.find('-') + 1; i < name.size(); ++i)
        variable += char(std::toupper(static_cast<unsigned char>(name[i])));
    if (const char* path = std::getenv(variable.c_str()))
        return path;
    return std::string(TAVRO_APP_DIR) + "/" + name;
}

namespace {
ToolResult RunCommand(const std::string& command) {
    ToolResult result;
    FILE* pipe = popen(command.c_str(), "r");
    if (!pipe)
        return result;
    char buffer[4096];
    size_t n;
    while ((n = std::fread(buffer, 1, sizeof buffer, pipe)) > 0)
        result.out.append(buffer, n);
    const int status = pclose(pipe);
    result.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return result;
}
} // namespace

ToolResult RunTool(const std::string& arguments) {
    return RunCommand("'" + ProgramPath("tavro-tool") + "' " + arguments + " 2>/dev/null");
}

ToolResult RunProgram(const std::string& name, const std::string& arguments) {
    // A program that does not stop by itself is ended rather than left to hang the tests.
    return RunCommand("timeout 60 '" + ProgramPath(name) + "' " + arguments + " 2>&1");
}
