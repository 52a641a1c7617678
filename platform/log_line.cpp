#include "platform/log_line.h"

#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <cinttypes>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <mutex>

namespace {
bool StderrIsJournal() {
    static const bool journal = IsJournalStream(STDERR_FILENO, std::getenv("JOURNAL_STREAM"));
    return journal;
}

std::string Prefix(LogPriority priority) {
    return "<" + std::to_string(int(priority)) + ">";
}
} // namespace

bool IsJournalStream(int fd, const char* journalStream) {
    if (!journalStream)
        return false;
    uintmax_t device = 0, inode = 0;
    char end = 0;
    if (std::sscanf(journalStream, "%ju:%ju%c", &device, &inode, &end) != 2)
        return false;
    struct stat st;
    return fstat(fd, &st) == 0 && uintmax_t(st.st_dev) == device && uintmax_t(st.st_ino) == inode;
}

std::string LogTimestamp() {
    const auto now = std::chrono::system_clock::now();
    const std::time_t seconds = std::chrono::system_clock::to_time_t(now);
    const auto ms =
        std::chrono::duration_cast<std::chrono::milliseconds>(now.time_since_epoch()).count() %
        1000;
    std::tm local{};
    localtime_r(&seconds, &local);
    char text[40];
    const size_t n = std::strftime(text, sizeof text, "%Y-%m-%d %H:%M:%S", &local);
    std::snprintf(text + n, sizeof text - n, ".%03d", int(ms));
    return text;
}

std::string FormatLogLine(LogPriority priority, const std::string& text, bool journalPrefix) {
    std::string line = (journalPrefix ? Prefix(priority) : "") + LogTimestamp() + " " + text;
    for (char& c : line)
        if (c == '\n' || c == '\r')
            c = ' ';
    return line;
}

void WriteLogLine(LogPriority priority, const std::string& text) {
    static std::mutex lock;
    const std::string line = FormatLogLine(priority, text, StderrIsJournal()) + "\n";
    std::lock_guard<std::mutex> guard(lock);
    std::fputs(line.c_str(), stderr);
    std::fflush(stderr);
}

void WriteFatalLine(const std::string& text) {
    std::fprintf(stderr, "%s%s\n", StderrIsJournal() ? Prefix(LogPriority::Error).c_str() : "",
                 text.c_str());
}
