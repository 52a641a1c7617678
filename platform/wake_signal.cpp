#include "platform/wake_signal.h"

#include "platform/stop_flag.h"

#include <poll.h>
#include <sys/eventfd.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstdlib>

CWakeSignal::CWakeSignal() : fd_(eventfd(0, EFD_NONBLOCK | EFD_CLOEXEC)) {
    if (fd_ < 0) {
        std::perror("eventfd");
        std::abort();
    }
}

CWakeSignal::~CWakeSignal() {
    close(fd_);
}

void CWakeSignal::Notify() {
    const uint64_t one = 1;
    [[maybe_unused]] ssize_t n = write(fd_, &one, sizeof one);
}

bool CWakeSignal::Wait(const CStopFlag* stop, int timeoutMs) {
    pollfd fds[2] = {{fd_, POLLIN, 0}, {stop ? stop->Fd() : -1, POLLIN, 0}};
    int ready;
    do {
        ready = poll(fds, stop ? 2 : 1, timeoutMs);
    } while (ready < 0 && errno == EINTR);
    if (fds[0].revents & POLLIN) {
        uint64_t value;
        [[maybe_unused]] ssize_t n = read(fd_, &value, sizeof value);
    }
    return ready > 0;
}
