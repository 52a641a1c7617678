#pragma once

#include "protocol/socket_stream.h"

#include <memory>

// Two connected stream sockets (AF_UNIX, non-blocking), each owned by a
// CSocketStream: what is written to one end is read from the other.
struct SocketPair {
    SocketPair();
    std::unique_ptr<CSocketStream> a;
    std::unique_ptr<CSocketStream> b;
};
