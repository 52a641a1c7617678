#include "platform/file_target.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>

namespace {
// As many links as the kernel follows in one lookup before it gives up with ELOOP.
constexpr int kMaxLinks = 40;
} // namespace

std::string FolderOf(const std::string& path) {
    const size_t slash = path.rfind('/');
    if (slash == std::string::npos)
        return ".";
    return slash == 0 ? "/" : path.substr(0, slash);
}

std::optional<std::string> FinalLinkTarget(const std::string& path) {
    std::string current = path;
    for (int links = 0; links <= kMaxLinks; ++links) {
        struct stat st;
        if (lstat(current.c_str(), &st) != 0 || !S_ISLNK(st.st_mode))
            return current;
        char target[PATH_MAX];
        const ssize_t length = readlink(current.c_str(), target, sizeof target);
        if (length < 0)
            return std::nullopt;
        if (size_t(length) == sizeof target) {
            errno = ENAMETOOLONG;
            return std::nullopt;
        }
        const std::string next(target, size_t(length));
        current = next.starts_with('/') ? next : FolderOf(current) + "/" + next;
    }
    errno = ELOOP;
    return std::nullopt;
}
