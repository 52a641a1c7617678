#pragma once

#include "radio/announcement.h"

#include <vector>

// The announcement that the tick count calls for: among those whose tick is
// above 0 and divides tickCount, the one with the largest tick; on equal
// ticks the first in announcement order (the smaller file text), else the
// earlier in the list. -1 when none is due.
int DueAnnouncement(const std::vector<CAnnounceMent>& announcements, int tickCount);
