#include "platform/display.h"

#include <sys/stat.h>

#include <cstdlib>
#include <string>

namespace {
std::string Env(const char* name) {
    const char* value = std::getenv(name);
    return value ? value : "";
}

bool Exists(const std::string& path) {
    struct stat st;
    return stat(path.c_str(), &st) == 0;
}

// ":0", ":1.0" and "unix:0" are local servers with a socket in /tmp/.X11-unix.
bool XServerReachable(const std::string& display) {
    std::string rest = display;
    if (rest.rfind("unix:", 0) == 0)
        rest = rest.substr(4);
    if (rest.empty() || rest[0] != ':')
        return true; // host:n goes over the network; let Qt try it
    const std::string number = rest.substr(1, rest.find('.') - 1);
    return !number.empty() && Exists("/tmp/.X11-unix/X" + number);
}
} // namespace

bool DisplayAvailable() {
    if (!Env("QT_QPA_PLATFORM").empty())
        return true;
    const std::string wayland = Env("WAYLAND_DISPLAY");
    if (!wayland.empty()) {
        const std::string socket =
            wayland[0] == '/' ? wayland : Env("XDG_RUNTIME_DIR") + "/" + wayland;
        if (Exists(socket))
            return true;
    }
    const std::string x = Env("DISPLAY");
    return !x.empty() && XServerReachable(x);
}
