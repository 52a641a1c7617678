#pragma once

#include <string>

// How serious a log line is, as syslog numbers it.
enum class LogPriority { Error = 3, Warning = 4, Info = 6 };

// True when file descriptor fd is the stream that JOURNAL_STREAM names
// ("DEVICE:INODE", set by systemd for a service's output), so that the
// journal reads a "<N>" prefix on each line as the line's priority.
bool IsJournalStream(int fd, const char* journalStream);

// "2024-05-01 12:00:00.123", local time.
std::string LogTimestamp();

// One log line as written: with journalPrefix the priority's "<N>", then the
// time stamp and the text; line breaks inside the text become blanks.
std::string FormatLogLine(LogPriority priority, const std::string& text, bool journalPrefix);

// Writes one line to standard error, whole, from any thread; the priority
// prefix is added when standard error is the journal.
void WriteLogLine(LogPriority priority, const std::string& text);

// Writes "<3>" (when standard error is the journal) and the text with no time
// stamp: a message that ends the program before its log begins.
void WriteFatalLine(const std::string& text);
