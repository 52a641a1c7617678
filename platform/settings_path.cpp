#include "platform/settings_path.h"

#include "platform/paths.h"

#include <unistd.h>

#include <cerrno>
#include <climits>

namespace {
std::string ExecutableBaseName() {
    char target[PATH_MAX];
    const ssize_t length = readlink("/proc/self/exe", target, sizeof target);
    if (length <= 0)
        return program_invocation_short_name;
    std::string path(target, size_t(length));
    // The kernel marks an executable replaced on disk while it runs.
    constexpr std::string_view kDeleted = " (deleted)";
    if (path.ends_with(kDeleted))
        path.resize(path.size() - kDeleted.size());
    return path.substr(path.rfind('/') + 1);
}
} // namespace

std::string DefaultSettingsPath() {
    return ConfigDir() + "/" + ExecutableBaseName() + ".INI";
}
