#include "app/tool/input_file.h"

#include "platform/input_file.h"

#include <cstdio>

bool ReportInputFileProblem(const std::string& path) {
    const std::string problem = InputFileProblem(path);
    if (problem.empty())
        return false;
    std::fprintf(stderr, "tavro-tool: %s: %s\n", path.c_str(), problem.c_str());
    return true;
}
