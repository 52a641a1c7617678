#include "platform/socket_error_text.h"

#include <cerrno>
#include <cstring>

std::string SocketErrorSentence(int error) {
    switch (error) {
    case ECONNRESET:
        return "the server reset the connection";
    case ECONNREFUSED:
        return "the server refused the connection (is it running, on that port?)";
    case ECONNABORTED:
        return "the connection was aborted";
    case EPIPE:
        return "the server closed the connection while the client was sending";
    case ETIMEDOUT:
        return "the server stopped answering (timed out)";
    case ENETUNREACH:
        return "the network is unreachable";
    case ENETDOWN:
        return "the network is down";
    case EHOSTUNREACH:
        return "the server's host is unreachable";
    case EHOSTDOWN:
        return "the server's host is down";
    case EADDRNOTAVAIL:
        return "this computer has no address to reach the server from";
    default:
        return std::string("the connection failed (") + std::strerror(error) + ")";
    }
}
