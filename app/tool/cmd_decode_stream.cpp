// tavro-tool decode-stream: describes each protocol message of a recorded
// byte stream, exactly as the client's own reader parses it.

#include "app/tool/commands.h"
#include "protocol/msg.h"

#include <sys/socket.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <thread>

namespace {
void Usage() {
    std::fprintf(stderr, "Usage: tavro-tool decode-stream [FILE|-]\n"
                         "Reads a recorded stream of protocol messages (standard input when FILE\n"
                         "is '-' or missing) and prints one line per message, then 'end: error N'\n"
                         "with the code that ended reading (1 at the end of the input).\n");
}

// Copies the input into the socket, then closes the socket's sending side so
// that the reader sees the end of the stream as a closed connection.
void Feed(FILE* in, CSocketStream& out, const CStopFlag& stop) {
    char buffer[64 * 1024];
    size_t n;
    while (!stop.IsSet() && (n = std::fread(buffer, 1, sizeof buffer, in)) > 0)
        if (!WriteBytes(out, stop, buffer, n))
            break;
    shutdown(out.Fd(), SHUT_WR);
}
} // namespace

int RunDecodeStream(int argc, char** argv) {
    if (argc > 1 || (argc == 1 && argv[0][0] == '-' && argv[0][1] != '\0')) {
        Usage();
        return 2;
    }
    const char* path = argc == 1 ? argv[0] : "-";
    FILE* in = std::strcmp(path, "-") == 0 ? stdin : std::fopen(path, "rb");
    if (!in) {
        std::fprintf(stderr, "tavro-tool: cannot open %s: %s\n", path, std::strerror(errno));
        return 1;
    }

    int fds[2];
    if (socketpair(AF_UNIX, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0, fds) != 0) {
        std::fprintf(stderr, "tavro-tool: socketpair: %s\n", std::strerror(errno));
        return 1;
    }
    CSocketStream reader(fds[0]);
    CSocketStream writer(fds[1]);
    CStopFlag feederStop;
    std::thread feeder(Feed, in, std::ref(writer), std::cref(feederStop));

    CStopFlag readerStop;
    int err = 0;
    while (std::unique_ptr<CMsg> msg = ReadMessage(reader, readerStop, err))
        std::printf("%s\n", msg->Describe().c_str());
    std::printf("end: error %d\n", err);

    feederStop.Set();
    if (in == stdin) {
        // Standard input may stay open after a parse error: don't wait for it.
        feeder.detach();
        return 0;
    }
    feeder.join();
    std::fclose(in);
    return 0;
}
