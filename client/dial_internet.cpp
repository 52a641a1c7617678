#include "client/dial_internet.h"

#include "platform/ini_file.h"
#include "platform/stop_flag.h"
#include "platform/tcp_connect.h"
#include "protocol/wire_io.h"

#include <cstdlib>

namespace {
constexpr int kTimeoutMs = 10000;

struct Url {
    std::string host;
    int port = 80;
    std::string path = "/";
};

bool ParseHttpUrl(const std::string& text, Url& url) {
    const std::string scheme = "http://";
    if (text.compare(0, scheme.size(), scheme) != 0)
        return false;
    std::string rest = text.substr(scheme.size());
    const size_t slash = rest.find('/');
    if (slash != std::string::npos) {
        url.path = rest.substr(slash);
        rest.resize(slash);
    }
    const size_t colon = rest.rfind(':');
    if (colon != std::string::npos && rest.find(']', colon) == std::string::npos) {
        char* end = nullptr;
        const long port = std::strtol(rest.c_str() + colon + 1, &end, 10);
        if (*end != '\0' || port < 1 || port > 65535)
            return false;
        url.port = int(port);
        rest.resize(colon);
    }
    if (rest.size() > 2 && rest.front() == '[' && rest.back() == ']')
        rest = rest.substr(1, rest.size() - 2);
    url.host = rest;
    return !url.host.empty();
}
} // namespace

std::string DialTestUrl(const CIniFile& ini) {
    return ini.GetText("Tavro_CLIENT", "DIALURL", "http://www.debian.org/");
}

bool CDialInternet::TestConnection(const std::string& text, const CStopFlag& stop) {
    Url url;
    if (!ParseHttpUrl(text, url))
        return false;
    std::string error;
    const int fd = ConnectTcp(url.host, url.port, kTimeoutMs, stop, error);
    if (fd < 0)
        return false;
    CSocketStream stream(fd);
    const std::string request = "GET " + url.path + " HTTP/1.1\r\nHost: " + url.host +
                                "\r\nAccept: text/*\r\nUser-Agent: Tavro Amateur Radio Internet "
                                "Gateway\r\nConnection: close\r\n\r\n";
    return WriteBytes(stream, stop, request.data(), request.size()) && !stop.IsSet();
}
