// tavro-tool decode-stream: describes each protocol message of a recorded
// byte stream, exactly as the client's own reader parses it.

#include "app/tool/commands.h"
#include "app/tool/input_file.h"
#include "app/tool/tool_args.h"
#include "protocol/msg.h"

#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <thread>

namespace {
const char kUsage[] = "Usage: tavro-tool decode-stream [FILE|-]\n"
                      "Reads a recorded stream of protocol messages (standard input when FILE\n"
                      "is '-' or missing) and prints one line per message, then 'end: error N'\n"
                      "with the code that ended reading (1 at the end of the input).\n";

// Copies the input into the socket, then closes the socket's sending side so
// that the reader sees the end of the stream as a closed connection. It waits
// for input together with the stop flag, so that a stop ends it even while a
// terminal or pipe on standard input stays open.
void Feed(int in, CSocketStream& out, const CStopFlag& stop) {
    char buffer[64 * 1024];
    for (;;) {
        pollfd waits[2] = {{in, POLLIN, 0}, {stop.Fd(), POLLIN, 0}};
        if (poll(waits, 2, -1) < 0 && errno != EINTR)
            break;
        if (stop.IsSet())
            break;
        const ssize_t n = read(in, buffer, sizeof buffer);
        if (n < 0 && (errno == EINTR || errno == EAGAIN))
            continue;
        if (n <= 0 || !WriteBytes(out, stop, buffer, size_t(n)))
            break;
    }
    shutdown(out.Fd(), SHUT_WR);
}
} // namespace

int RunDecodeStream(int argc, char** argv) {
    std::vector<std::string> args;
    if (const auto code = ParseToolArgs(argc, argv, {kUsage, {}, 0, 1}, args))
        return *code;
    const std::string path = args.empty() ? "-" : args[0];
    const bool fromStdin = path == "-";
    // A directory opens for reading but reads nothing: it is refused here.
    if (!fromStdin && ReportInputFileProblem(path))
        return 1;
    FILE* in = fromStdin ? stdin : std::fopen(path.c_str(), "rb");
    if (!in) {
        std::fprintf(stderr, "tavro-tool: cannot open %s: %s\n", path.c_str(),
                     std::strerror(errno));
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
    std::thread feeder(Feed, fileno(in), std::ref(writer), std::cref(feederStop));

    CStopFlag readerStop;
    int err = 0;
    while (std::unique_ptr<CMsg> msg = ReadMessage(reader, readerStop, err))
        std::printf("%s\n", msg->Describe().c_str());
    std::printf("end: error %d\n", err);

    feederStop.Set();
    feeder.join();
    if (in != stdin)
        std::fclose(in);
    return 0;
}
