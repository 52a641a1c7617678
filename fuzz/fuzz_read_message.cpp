// libFuzzer target: ReadMessage over arbitrary bytes must never crash, hang
// or allocate without bound; it either parses messages or fails with a code.

#include "protocol/msg.h"

#include <sys/socket.h>
#include <unistd.h>

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size > 200000)
        return 0;
    int fds[2];
    if (socketpair(AF_UNIX, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0, fds) != 0)
        return 0;
    const int bufferSize = 1 << 20;
    setsockopt(fds[1], SOL_SOCKET, SO_SNDBUF, &bufferSize, sizeof bufferSize);
    setsockopt(fds[0], SOL_SOCKET, SO_RCVBUF, &bufferSize, sizeof bufferSize);
    CSocketStream reader(fds[0]);
    {
        CSocketStream writer(fds[1]);
        CStopFlag stop;
        // The whole input fits in the socket buffers, so this never waits.
        if (!WriteBytes(writer, stop, data, size))
            return 0;
    } // closing the writer ends the stream
    CStopFlag stop;
    int err = -1;
    while (std::unique_ptr<CMsg> msg = ReadMessage(reader, stop, err))
        (void)msg->Describe();
    return 0;
}
