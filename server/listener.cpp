#include "server/listener.h"

#include "server/host_port.h"

#include <arpa/inet.h>
#include <netdb.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

namespace {
// How long to wait before accepting again when descriptors run out.
constexpr int kExhaustedRetryMs = 100;

// Binds and listens on one resolved address; returns the descriptor or -1
// with errno set.
int ListenOn(const addrinfo& ai) {
    const int fd =
        socket(ai.ai_family, ai.ai_socktype | SOCK_CLOEXEC | SOCK_NONBLOCK, ai.ai_protocol);
    if (fd < 0)
        return -1;
    const int on = 1;
    setsockopt(fd, SOL_SOCKET, SO_REUSEADDR, &on, sizeof on);
    if (bind(fd, ai.ai_addr, ai.ai_addrlen) == 0 && listen(fd, SOMAXCONN) == 0)
        return fd;
    const int saved = errno;
    close(fd);
    errno = saved;
    return -1;
}
} // namespace

std::string SocketAddressText(const sockaddr* address) {
    char host[INET6_ADDRSTRLEN] = "?";
    if (address->sa_family == AF_INET6) {
        const auto* in6 = reinterpret_cast<const sockaddr_in6*>(address);
        inet_ntop(AF_INET6, &in6->sin6_addr, host, sizeof host);
        std::string text = "[";
        text += host;
        text += "]:";
        text += std::to_string(ntohs(in6->sin6_port));
        return text;
    }
    const auto* in = reinterpret_cast<const sockaddr_in*>(address);
    inet_ntop(AF_INET, &in->sin_addr, host, sizeof host);
    return std::string(host) + ":" + std::to_string(ntohs(in->sin_port));
}

CListener::~CListener() {
    Close();
}

bool CListener::Open(const std::string& hostPort, std::string& error) {
    Close();
    HostPort where;
    if (!ParseHostPort(hostPort, where, error))
        return false;
    addrinfo hints{};
    hints.ai_family = AF_UNSPEC;
    hints.ai_socktype = SOCK_STREAM;
    hints.ai_flags = AI_PASSIVE | AI_NUMERICSERV;
    addrinfo* found = nullptr;
    const std::string port = std::to_string(where.port);
    const int rc = getaddrinfo(where.host.empty() ? nullptr : where.host.c_str(), port.c_str(),
                               &hints, &found);
    if (rc != 0) {
        error = "cannot resolve \"" + where.host + "\": " + gai_strerror(rc);
        return false;
    }
    int lastErrno = 0;
    for (const addrinfo* ai = found; ai && fd_ < 0; ai = ai->ai_next) {
        fd_ = ListenOn(*ai);
        lastErrno = errno;
    }
    freeaddrinfo(found);
    if (fd_ < 0) {
        error = "cannot listen on " + hostPort + ": " + std::strerror(lastErrno);
        return false;
    }
    sockaddr_storage bound{};
    socklen_t length = sizeof bound;
    getsockname(fd_, reinterpret_cast<sockaddr*>(&bound), &length);
    address_ = SocketAddressText(reinterpret_cast<const sockaddr*>(&bound));
    port_ = bound.ss_family == AF_INET6 ? ntohs(reinterpret_cast<sockaddr_in6*>(&bound)->sin6_port)
                                        : ntohs(reinterpret_cast<sockaddr_in*>(&bound)->sin_port);
    return true;
}

void CListener::Close() {
    if (fd_ >= 0)
        close(fd_);
    fd_ = -1;
}

int CListener::Accept(const CStopFlag& stop, std::string& peer,
                      const std::function<void(const std::string&)>& log) {
    pollfd fds[2] = {{fd_, POLLIN, 0}, {stop.Fd(), POLLIN, 0}};
    while (!stop.IsSet()) {
        if (poll(fds, 2, -1) < 0)
            continue; // EINTR
        if (stop.IsSet())
            break;
        sockaddr_storage address{};
        socklen_t length = sizeof address;
        const int fd = accept4(fd_, reinterpret_cast<sockaddr*>(&address), &length,
                               SOCK_NONBLOCK | SOCK_CLOEXEC);
        if (fd >= 0) {
            // Messages are written whole; send each at once rather than
            // waiting to coalesce, which would delay the audio.
            const int on = 1;
            setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &on, sizeof on);
            peer = SocketAddressText(reinterpret_cast<const sockaddr*>(&address));
            return fd;
        }
        if (errno == EMFILE || errno == ENFILE || errno == ENOBUFS || errno == ENOMEM) {
            log(std::string("cannot accept a connection: ") + std::strerror(errno));
            pollfd stopOnly{stop.Fd(), POLLIN, 0};
            poll(&stopOnly, 1, kExhaustedRetryMs);
        }
        // Other errors (the peer gave up, EAGAIN after a spurious wake-up)
        // concern that one connection only: wait for the next.
    }
    return -1;
}
