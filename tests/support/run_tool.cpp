#include "tests/support/run_tool.h"

#include <sys/wait.h>

#include <cstdio>
#include <cstdlib>

std::string ToolPath() {
    const char* path = std::getenv("TAVRO_TOOL");
    return path ? path : "";
}

ToolResult RunTool(const std::string& arguments) {
    ToolResult result;
    const std::string command = "'" + ToolPath() + "' " + arguments + " 2>/dev/null";
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
