#pragma once

// Scratch files for the fuzz targets whose code under test reads a path:
// one private directory per process, in memory (/dev/shm) when the system
// has it, so that writing a file per input costs no disk traffic.

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <unistd.h>

// The path of `name` inside this process's scratch directory.
inline std::string ScratchPath(const char* name) {
    static const std::string directory = [] {
        std::string pattern =
            std::string(access("/dev/shm", W_OK) == 0 ? "/dev/shm" : "/tmp") + "/tavro-fuzz-XXXXXX";
        if (!mkdtemp(pattern.data()))
            std::abort();
        return pattern;
    }();
    return directory + "/" + name;
}

// Replaces the file at `path` with the given bytes; aborts when it cannot,
// since every later verdict would then be about a stale file.
inline void WriteScratch(const std::string& path, const uint8_t* data, size_t size) {
    FILE* file = std::fopen(path.c_str(), "wb");
    if (!file || (size > 0 && std::fwrite(data, 1, size, file) != size) || std::fclose(file) != 0)
        std::abort();
}
