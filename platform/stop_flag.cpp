#include "platform/stop_flag.h"

#include <sys/eventfd.h>
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>

CStopFlag::CStopFlag() : fd_(eventfd(0, EFD_NONBLOCK | EFD_CLOEXEC)) {
    if (fd_ < 0) {
        std::perror("eventfd");
        std::abort();
    }
}

CStopFlag::~CStopFlag() {
    close(fd_);
}

void CStopFlag::Set() {
    if (set_.exchange(true, std::memory_order_acq_rel))
        return;
    const uint64_t one = 1;
    // The counter cannot overflow with a single increment; nothing to handle.
    [[maybe_unused]] ssize_t n = write(fd_, &one, sizeof one);
}

void CStopFlag::Reset() {
    uint64_t value;
    [[maybe_unused]] ssize_t n = read(fd_, &value, sizeof value);
    set_.store(false, std::memory_order_release);
}
