#pragma once

#include "platform/stop_flag.h"

#include <cstdint>
#include <functional>
#include <string>

// A listening TCP socket (IPv4 or IPv6) and the accepting of connections.
class CListener {
public:
    CListener() = default;
    ~CListener();
    CListener(const CListener&) = delete;
    CListener& operator=(const CListener&) = delete;

    // Resolves HOST:PORT, binds the first address that accepts and listens.
    // On failure returns false and says why in error.
    bool Open(const std::string& hostPort, std::string& error);
    void Close();

    // The bound port (the one the system picked when port 0 was asked for).
    uint16_t Port() const { return port_; }
    // The bound address as text, for the log.
    const std::string& Address() const { return address_; }

    // Waits for the next connection and returns its non-blocking descriptor,
    // with the peer's address in peer; -1 once the stop flag is set. When the
    // process runs out of descriptors it reports that through log and waits
    // a moment before trying again.
    int Accept(const CStopFlag& stop, std::string& peer,
               const std::function<void(const std::string&)>& log);

private:
    int fd_ = -1;
    uint16_t port_ = 0;
    std::string address_;
};

// "1.2.3.4:5" or "[::1]:5" for a socket address.
std::string SocketAddressText(const struct sockaddr* address);
