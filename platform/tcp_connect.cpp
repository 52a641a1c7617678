#include "platform/tcp_connect.h"

#include "platform/socket_error_text.h"
#include "platform/stop_flag.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <netdb.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

namespace {
// Connects one address; returns the socket or -1 with error set.
int ConnectAddress(const addrinfo& ai, int timeoutMs, const CStopFlag& stop, std::string& error) {
    const int fd =
        socket(ai.ai_family, ai.ai_socktype | SOCK_NONBLOCK | SOCK_CLOEXEC, ai.ai_protocol);
    if (fd < 0) {
        error = std::strerror(errno);
        return -1;
    }
    // Closing must not wait for unsent data.
    const linger noLinger = {0, 0};
    setsockopt(fd, SOL_SOCKET, SO_LINGER, &noLinger, sizeof noLinger);
    // Messages are written whole; send each at once rather than waiting to
    // coalesce, which would delay the audio and the ping answers.
    const int on = 1;
    setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &on, sizeof on);
    if (connect(fd, ai.ai_addr, ai.ai_addrlen) == 0)
        return fd;
    if (errno != EINPROGRESS) {
        error = SocketErrorSentence(errno);
        close(fd);
        return -1;
    }
    pollfd fds[2] = {{fd, POLLOUT, 0}, {stop.Fd(), POLLIN, 0}};
    int ready;
    do {
        ready = poll(fds, 2, timeoutMs);
    } while (ready < 0 && errno == EINTR);
    if (stop.IsSet()) {
        error = "cancelled";
        close(fd);
        return -1;
    }
    if (ready == 0) {
        error = "the server did not answer in time";
        close(fd);
        return -1;
    }
    int result = 0;
    socklen_t length = sizeof result;
    getsockopt(fd, SOL_SOCKET, SO_ERROR, &result, &length);
    if (result != 0) {
        error = SocketErrorSentence(result);
        close(fd);
        return -1;
    }
    return fd;
}
} // namespace

bool IsNumericAddress(const std::string& host) {
    in6_addr address;
    return inet_pton(AF_INET, host.c_str(), &address) == 1 ||
           inet_pton(AF_INET6, host.c_str(), &address) == 1;
}

int ConnectTcp(const std::string& host, int port, int timeoutMs, const CStopFlag& stop,
               std::string& error) {
    addrinfo hints{};
    hints.ai_family = AF_UNSPEC;
    hints.ai_socktype = SOCK_STREAM;
    hints.ai_flags = IsNumericAddress(host) ? AI_NUMERICHOST | AI_NUMERICSERV : AI_NUMERICSERV;
    addrinfo* list = nullptr;
    const std::string service = std::to_string(port);
    const int rc = getaddrinfo(host.c_str(), service.c_str(), &hints, &list);
    if (rc != 0) {
        error = "cannot resolve " + host + ": " + gai_strerror(rc);
        return -2;
    }
    int fd = -1;
    for (addrinfo* ai = list; ai && fd < 0 && !stop.IsSet(); ai = ai->ai_next)
        fd = ConnectAddress(*ai, timeoutMs, stop, error);
    freeaddrinfo(list);
    return fd;
}
