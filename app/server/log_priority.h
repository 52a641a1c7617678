#pragma once

#include "platform/log_line.h"

#include <string>

// How serious one of the stand-in server's event lines is. Its lines carry no
// priority of their own: those that report a failure (a station's
// connection that broke or stalled, an accept that failed) are warnings and
// errors, the rest information.
LogPriority ServerLinePriority(const std::string& line);
