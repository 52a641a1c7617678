#pragma once

#include <string>

class CStopFlag;

// Opens a TCP connection to host:port (IPv4 or IPv6). A numeric address is
// used as it is; a name is resolved with getaddrinfo and each address tried in
// turn. Waits at most timeoutMs for each connect, and gives up at once when
// the stop flag is set. Returns the connected, non-blocking socket, or -1 with
// a one-line reason in error (-2 when the name could not be resolved).
int ConnectTcp(const std::string& host, int port, int timeoutMs, const CStopFlag& stop,
               std::string& error);

// True when host is a numeric IPv4 or IPv6 address (no name lookup needed).
bool IsNumericAddress(const std::string& host);
