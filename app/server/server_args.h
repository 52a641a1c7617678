#pragma once

#include "server/server_options.h"

#include <string>

// The command line of tavro-server.
struct ServerArgs {
    CServerOptions options;
    bool help = false;
    bool version = false;
};

// Parses the arguments after the program name. On failure returns false and
// says why in error.
bool ParseServerArgs(int argc, const char* const* argv, ServerArgs& out, std::string& error);

extern const char* const kServerUsage;
