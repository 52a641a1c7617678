#include "client/control_ids.h"
#include "client/member_display.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

using ::testing::ElementsAre;

namespace {

class MemberDisplayTest : public ::testing::Test {
protected:
    MemberDisplayTest() { controls.SetSorted(IDC_MAIN_LIST, true); }

    // Members "M00" to "M<count-1>", given in reverse so that sorting matters.
    void AddMembers(int count) {
        for (int i = count - 1; i >= 0; --i) {
            names.push_back((i < 10 ? "M0" : "M") + std::to_string(i));
            descriptions.push_back("desc " + std::to_string(i));
        }
    }

    bool Redraw(const std::string& talker) {
        return RedrawMemberDisplay(controls, names, descriptions, talker, "G4ABC");
    }

    std::string SelectedLine() const {
        return controls.ItemText(IDC_MAIN_LIST, controls.CurSel(IDC_MAIN_LIST));
    }

    CDialogControls controls;
    std::vector<std::string> names;
    std::vector<std::string> descriptions;
};

TEST_F(MemberDisplayTest, ListsMembersSortedAndSelectsTheTalker) {
    names = {"W1AW", "G4ABC", "DL1XYZ"};
    descriptions = {"Newington", "Leeds", "Berlin"};
    Redraw("G4ABC");
    EXPECT_THAT(controls.Get(IDC_MAIN_LIST).items,
                ElementsAre("DL1XYZ\tBerlin", "G4ABC\tLeeds", "W1AW\tNewington"));
    EXPECT_EQ(SelectedLine(), "G4ABC\tLeeds");
    EXPECT_TRUE(controls.Get(IDC_MAIN_LIST).redraw);

    // Only an exact match selects.
    Redraw("G4AB");
    EXPECT_EQ(controls.CurSel(IDC_MAIN_LIST), -1);
    Redraw("");
    EXPECT_EQ(controls.CurSel(IDC_MAIN_LIST), -1);

    names.clear();
    descriptions.clear();
    Redraw("G4ABC");
    EXPECT_EQ(controls.Count(IDC_MAIN_LIST), 0);
}

TEST_F(MemberDisplayTest, ScrollsToTheTalkerOnlyWhenBeyondTenLinesFromTheTop) {
    AddMembers(30);
    Redraw("M25");
    EXPECT_EQ(SelectedLine(), "M25\tdesc 25");
    EXPECT_EQ(controls.TopIndex(IDC_MAIN_LIST), 20);

    // Within ten lines of the top: the position stays.
    controls.SetTopIndex(IDC_MAIN_LIST, 5);
    Redraw("M15");
    EXPECT_EQ(controls.TopIndex(IDC_MAIN_LIST), 5);
    Redraw("M05");
    EXPECT_EQ(controls.TopIndex(IDC_MAIN_LIST), 5);

    // Above the top or past ten lines: the talker becomes the top line.
    Redraw("M03");
    EXPECT_EQ(controls.TopIndex(IDC_MAIN_LIST), 3);
    Redraw("M14");
    EXPECT_EQ(controls.TopIndex(IDC_MAIN_LIST), 14);
}

TEST_F(MemberDisplayTest, WithoutATalkerKeepsTheTopWhileTenLinesFollowIt) {
    AddMembers(30);
    Redraw("");
    EXPECT_EQ(controls.TopIndex(IDC_MAIN_LIST), 0);
    controls.SetTopIndex(IDC_MAIN_LIST, 20);
    Redraw("");
    EXPECT_EQ(controls.TopIndex(IDC_MAIN_LIST), 20);

    controls.SetTopIndex(IDC_MAIN_LIST, 25);
    Redraw("");
    EXPECT_EQ(controls.TopIndex(IDC_MAIN_LIST), 20);

    names.resize(6);
    descriptions.resize(6);
    Redraw("");
    EXPECT_EQ(controls.TopIndex(IDC_MAIN_LIST), 0);
}

TEST_F(MemberDisplayTest, HighlightsWhileTheStationItselfTalks) {
    names = {"G4ABC", "W1AW"};
    descriptions = {"Leeds", "Newington"};
    EXPECT_TRUE(Redraw("G4ABC"));
    EXPECT_TRUE(controls.Get(IDC_MAIN_LIST).highlighted);
    EXPECT_FALSE(Redraw("W1AW"));
    EXPECT_FALSE(controls.Get(IDC_MAIN_LIST).highlighted);
    EXPECT_TRUE(Redraw("G4ABC"));
    EXPECT_FALSE(Redraw(""));
    EXPECT_FALSE(controls.Get(IDC_MAIN_LIST).highlighted);
    EXPECT_FALSE(RedrawMemberDisplay(controls, names, descriptions, "", ""));
}

} // namespace
