#include "platform/instance_lock.h"

#include "platform/file_target.h"
#include "platform/paths.h"

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <string>

namespace {
pid_t ReadPid(int fd) {
    char text[32] = {};
    const ssize_t n = pread(fd, text, sizeof text - 1, 0);
    return n > 0 ? pid_t(std::atol(text)) : 0;
}
} // namespace

CInstanceLock::~CInstanceLock() {
    if (fd_ >= 0)
        close(fd_);
}

CInstanceLock::Result CInstanceLock::Take(const std::string& path, pid_t& holder,
                                          std::string& error) {
    const std::string folder = FolderOf(path);
    if (!MakeDirectories(folder)) {
        error = "cannot create " + folder + ": " + std::strerror(errno);
        return Result::Failed;
    }
    // Close-on-exec: a program started from here must not inherit the lock.
    const int fd = open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
    if (fd < 0) {
        error = "cannot open " + path + ": " + std::strerror(errno);
        return Result::Failed;
    }
    if (flock(fd, LOCK_EX | LOCK_NB) != 0) {
        const int why = errno;
        if (why == EWOULDBLOCK)
            holder = ReadPid(fd);
        else
            error = "cannot lock " + path + ": " + std::strerror(why);
        close(fd);
        return why == EWOULDBLOCK ? Result::HeldByOther : Result::Failed;
    }
    const std::string pid = std::to_string(getpid()) + "\n";
    if (ftruncate(fd, 0) != 0 || pwrite(fd, pid.data(), pid.size(), 0) != ssize_t(pid.size())) {
        error = "cannot write " + path + ": " + std::strerror(errno);
        close(fd);
        return Result::Failed;
    }
    if (fd_ >= 0)
        close(fd_);
    fd_ = fd;
    return Result::Taken;
}
