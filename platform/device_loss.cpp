#include "platform/device_loss.h"

#include <poll.h>

#include <cerrno>

bool CDeviceLoss::Note(int error) {
    if (error == EIO || error == ENXIO || error == ENODEV)
        lost_ = true;
    return lost_;
}

bool CDeviceLoss::Check(int fd) {
    if (fd < 0 || lost_)
        return lost_;
    pollfd p{fd, 0, 0};
    if (::poll(&p, 1, 0) > 0 && (p.revents & (POLLHUP | POLLERR | POLLNVAL)))
        lost_ = true;
    return lost_;
}
