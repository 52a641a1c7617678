#include "protocol/debug_log.h"

#include "platform/clock.h"
#include "platform/paths.h"
#include "platform/string_format.h"

#include <cstdarg>
#include <cstdio>
#include <mutex>
#include <string>

const char* DebugLogPath() {
    static const std::string path = [] {
        const std::string dir = StateDir();
        MakeDirectories(dir);
        return dir + StringPrintf("/QLNLog_%u.txt", SystemClock().Ticks());
    }();
    return path.c_str();
}

void DebugLog(const char* format, ...) {
    static std::mutex lock;
    va_list args;
    va_start(args, format);
    const std::string text = StringVPrintf(format, args);
    va_end(args);

    std::lock_guard<std::mutex> guard(lock);
    if (FILE* file = std::fopen(DebugLogPath(), "a")) {
        std::fputs(text.c_str(), file);
        std::fclose(file);
    }
}
