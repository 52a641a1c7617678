#pragma once

#include <cstdarg>
#include <string>

// printf-style formatting into a std::string.
std::string StringPrintf(const char* format, ...) __attribute__((format(printf, 1, 2)));
std::string StringVPrintf(const char* format, va_list args);
