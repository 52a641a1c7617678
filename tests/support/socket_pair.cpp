#include "tests/support/socket_pair.h"

#include <gtest/gtest.h>
#include <sys/socket.h>

SocketPair::SocketPair() {
    int fds[2] = {-1, -1};
    if (socketpair(AF_UNIX, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0, fds) != 0)
        ADD_FAILURE() << "socketpair failed";
    a = std::make_unique<CSocketStream>(fds[0]);
    b = std::make_unique<CSocketStream>(fds[1]);
}
