#pragma once

#include <string>

// One server preset: where to go, under which display name. Its position in the preset list
// is its number in the settings keys, the displayed lists and the DTMF commands.
struct CPresetServer {
    std::string name;
    std::string password;
    int port = -1; // -1 while unset
    std::string room;
    std::string server;

    bool operator==(const CPresetServer&) const = default;
};
