#include "radio/announcement_schedule.h"

#include <gtest/gtest.h>

namespace {

// The file texts of the announcements due at tick counts 1 to last.
std::vector<std::string> Played(const std::vector<CAnnounceMent>& list, int last) {
    std::vector<std::string> played;
    for (int count = 1; count <= last; ++count) {
        const int due = DueAnnouncement(list, count);
        played.push_back(due < 0 ? "-" : list[size_t(due)].file);
    }
    return played;
}

TEST(AnnouncementSchedule, LargestDividingTickWinsAndTiesGoToTheFirstInOrder) {
    // Ticks 2 and 5: the larger plays where both divide (10).
    EXPECT_EQ(
        Played({{0, "two", 2}, {0, "five", 5}}, 10),
        (std::vector<std::string>{"-", "two", "-", "two", "five", "two", "-", "two", "-", "five"}));
    // Equal ticks, the list not sorted: the smaller text plays every time.
    EXPECT_EQ(Played({{0, "b.wav", 3}, {1, "a", 3}}, 6),
              (std::vector<std::string>{"-", "-", "a", "-", "-", "a"}));
    // Entirely equal entries: the earlier one in the list.
    const std::vector<CAnnounceMent> twins = {{0, "same", 1}, {0, "same", 1}};
    EXPECT_EQ(DueAnnouncement(twins, 4), 0);
}

TEST(AnnouncementSchedule, TicksOfZeroOrLessAreNeverChosen) {
    const std::vector<CAnnounceMent> list = {{0, "zero", 0}, {1, "fixed", -1}, {0, "minus", -3}};
    for (int count : {0, 1, 2, 3, 6, 9, 60})
        EXPECT_EQ(DueAnnouncement(list, count), -1) << count;
    EXPECT_EQ(DueAnnouncement({}, 1), -1);
}

} // namespace
