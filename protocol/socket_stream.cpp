#include "protocol/socket_stream.h"

#include <unistd.h>

CSocketStream::CSocketStream(int fd) : fd_(fd) {}

CSocketStream::~CSocketStream() {
    Close();
}

void CSocketStream::Close() {
    if (fd_ >= 0)
        close(fd_);
    fd_ = -1;
    aheadPos_ = aheadEnd_ = 0;
}
