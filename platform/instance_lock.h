#pragma once

#include <sys/types.h>

#include <string>

// Keeps a second program from running on the same file: an flock() on a lock
// file (for example "<settings>.lock") that holds the running program's
// process id. The kernel drops the lock when its process ends, however it
// ends, so a lock file left by a dead process never blocks.
class CInstanceLock {
public:
    CInstanceLock() = default;
    CInstanceLock(const CInstanceLock&) = delete;
    CInstanceLock& operator=(const CInstanceLock&) = delete;
    // Releases the lock; the file stays, so that a process that opened it
    // meanwhile still locks the same file as the next one.
    ~CInstanceLock();

    enum class Result { Taken, HeldByOther, Failed };
    // Takes the lock on path (creating the file and its folder) and writes
    // this process's id into it. HeldByOther: holder is the running process's
    // id, 0 when it has not written it yet. Failed: error says why.
    Result Take(const std::string& path, pid_t& holder, std::string& error);

private:
    int fd_ = -1;
};
