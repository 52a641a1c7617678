#include "radio/announcement_schedule.h"

int DueAnnouncement(const std::vector<CAnnounceMent>& announcements, int tickCount) {
    int due = -1;
    for (size_t i = 0; i < announcements.size(); ++i) {
        const CAnnounceMent& a = announcements[i];
        if (a.tick <= 0 || tickCount % a.tick != 0)
            continue;
        // The list is kept in announcement order, but a hand-edited file need
        // not be: the tie goes to the one that sorts first either way.
        if (due < 0 || a.tick > announcements[size_t(due)].tick ||
            (a.tick == announcements[size_t(due)].tick && a < announcements[size_t(due)]))
            due = int(i);
    }
    return due;
}
