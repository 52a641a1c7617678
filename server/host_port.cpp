#include "server/host_port.h"

#include <charconv>

bool ParseHostPort(const std::string& text, HostPort& out, std::string& error) {
    std::string host;
    size_t colon;
    if (text.starts_with("[")) {
        const size_t close = text.find(']');
        colon = close == std::string::npos ? close : close + 1;
        if (colon != std::string::npos)
            host = text.substr(1, close - 1);
    } else {
        colon = text.rfind(':');
        host = text.substr(0, colon == std::string::npos ? 0 : colon);
        if (host.find(':') != std::string::npos) {
            error = "an IPv6 address needs brackets: [" + host + "]" + text.substr(colon);
            return false;
        }
    }
    if (colon >= text.size() || text[colon] != ':') {
        error = "\"" + text + "\" is not HOST:PORT";
        return false;
    }
    const std::string port = text.substr(colon + 1);
    unsigned value = 0;
    const char* end = port.data() + port.size();
    const auto result = std::from_chars(port.data(), end, value);
    if (port.empty() || result.ec != std::errc() || result.ptr != end || value > 65535) {
        error = "\"" + port + "\" is not a port number (0 to 65535)";
        return false;
    }
    out.host = host;
    out.port = uint16_t(value);
    return true;
}
