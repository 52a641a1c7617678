#pragma once

#include <QCommandLineParser>

#include <cstdio>
#include <optional>

// Parses the command line with `parser`, which holds the program's own options, after adding
// -h/--help and --version. Returns the exit code when the program is done: 2 after a parse
// error (the error and the usage on stderr), 0 after --help (the usage) or --version (the
// program's name and version). Returns nothing when the program goes on.
std::optional<int> ParseProgramOptions(QCommandLineParser& parser, int argc, char** argv,
                                       const char* program, void (*printUsage)(FILE* out));

// "SIGINT", "SIGHUP" or "SIGTERM": the signals that close the programs, for their logs.
const char* CloseSignalName(int signal);
