#include "platform/input_file.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

std::string InputFileProblem(const std::string& path) {
    struct stat st;
    if (stat(path.c_str(), &st) != 0)
        return errno == ENOENT ? "no such file" : std::strerror(errno);
    if (S_ISDIR(st.st_mode))
        return "is a directory";
    if (access(path.c_str(), R_OK) != 0)
        return std::strerror(errno);
    // Devices and pipes report no size; only a regular file is known to be empty.
    if (S_ISREG(st.st_mode) && st.st_size == 0)
        return "empty file";
    return {};
}
