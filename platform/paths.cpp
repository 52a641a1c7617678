#include "platform/paths.h"

#include <sys/stat.h>

#include <cerrno>
#include <cstdlib>

namespace {
std::string HomeDir() {
    const char* home = std::getenv("HOME");
    return home && *home ? home : "/tmp";
}

std::string XdgDir(const char* variable, const char* fallbackUnderHome) {
    const char* value = std::getenv(variable);
    // The XDG rules ignore relative paths in these variables.
    if (value && value[0] == '/')
        return std::string(value) + "/tavro";
    return HomeDir() + "/" + fallbackUnderHome + "/tavro";
}
} // namespace

std::string ConfigDir() {
    return XdgDir("XDG_CONFIG_HOME", ".config");
}

std::string StateDir() {
    return XdgDir("XDG_STATE_HOME", ".local/state");
}

bool MakeDirectories(const std::string& path) {
    if (path.empty())
        return false;
    for (size_t slash = path.find('/', 1);; slash = path.find('/', slash + 1)) {
        const std::string part = path.substr(0, slash);
        if (mkdir(part.c_str(), 0700) != 0 && errno != EEXIST)
            return false;
        if (slash == std::string::npos)
            break;
    }
    struct stat st;
    return stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}
