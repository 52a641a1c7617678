#include "client/control_ids.h"
#include "client/talk_group_selector.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

using ::testing::ElementsAre;

namespace {

class TalkGroupSelectorTest : public ::testing::Test {
protected:
    TalkGroupSelectorTest() {
        controls.SetSorted(IDC_TALK_GROUP, true);
        controls.AddString(IDC_TALK_GROUP, "OLD");
    }

    std::string Selected() const {
        return controls.ItemText(IDC_TALK_GROUP, controls.CurSel(IDC_TALK_GROUP));
    }

    CDialogControls controls;
};

TEST_F(TalkGroupSelectorTest, SelectsTheWholeNameOrAddsTheRoom) {
    // "10" is a room of its own, not the start of "101".
    FillTalkGroups(controls, {"20", "101", "uk-1"}, "10");
    EXPECT_THAT(controls.Get(IDC_TALK_GROUP).items, ElementsAre("10", "101", "20", "uk-1"));
    EXPECT_EQ(Selected(), "10");
    EXPECT_EQ(controls.Text(IDC_TALK_GROUP), "10");

    // Letter case is ignored.
    FillTalkGroups(controls, {"20", "101", "uk-1"}, "UK-1");
    EXPECT_EQ(Selected(), "uk-1");
    EXPECT_EQ(controls.Count(IDC_TALK_GROUP), 3);

    FillTalkGroups(controls, {}, "UK-1");
    EXPECT_THAT(controls.Get(IDC_TALK_GROUP).items, ElementsAre("UK-1"));
    EXPECT_EQ(Selected(), "UK-1");
}

} // namespace
