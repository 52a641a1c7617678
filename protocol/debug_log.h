#pragma once

// Appends a printf-style line to the diagnostic log "QLNLog_<ticks>.txt" in
// the state directory. The name is fixed at the first call for the life of
// the process; the file is opened and closed for every call. When the file
// cannot be opened the text is dropped.
void DebugLog(const char* format, ...) __attribute__((format(printf, 1, 2)));

// The log file's path (decided on the first call of either function).
const char* DebugLogPath();
