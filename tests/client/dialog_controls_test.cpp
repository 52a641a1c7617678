#include "client/dialog_controls.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <utility>
#include <vector>

using ::testing::ElementsAre;
using ::testing::IsEmpty;

namespace {

using C = CDialogControls;
using Notification = std::pair<int, uint32_t>;

constexpr int kList = 1;
constexpr int kCombo = 2;
constexpr int kEdit = 3;
constexpr int kSlider = 4;
constexpr int kButton = 5;

class DialogControlsTest : public ::testing::Test {
protected:
    DialogControlsTest() {
        controls.AddObserver([this](int id, uint32_t changes) { seen.emplace_back(id, changes); });
    }

    // The notifications since the last call.
    std::vector<Notification> Take() { return std::exchange(seen, {}); }

    CDialogControls controls;
    std::vector<Notification> seen;
};

TEST_F(DialogControlsTest, SettersReportWhatChangedAndStayQuietWhenNothingDid) {
    controls.SetText(kEdit, "G4ABC");
    controls.SetText(kEdit, "G4ABC");
    controls.SetCheck(kButton, 1);
    controls.Enable(kButton, false);
    controls.Show(kButton, false);
    controls.SetColor(kButton, 0xFF0000);
    controls.SetHighlighted(kList, true);
    EXPECT_THAT(Take(),
                ElementsAre(Notification(kEdit, C::kText), Notification(kButton, C::kCheck),
                            Notification(kButton, C::kEnabled), Notification(kButton, C::kVisible),
                            Notification(kButton, C::kColor), Notification(kList, C::kHighlight)));

    // A combo box's text follows its selection; an entry added before the
    // selected one moves the selection.
    controls.AddString(kCombo, "b");
    controls.SetCurSel(kCombo, 0);
    controls.SetCurSel(kCombo, 0);
    controls.SetCurSel(kCombo, 7); // out of range selects nothing
    controls.SetCurSel(kCombo, -1);
    controls.SetSorted(kCombo, true);
    controls.AddString(kCombo, "a");
    EXPECT_THAT(Take(),
                ElementsAre(Notification(kCombo, C::kItems),
                            Notification(kCombo, C::kSelection | C::kText),
                            Notification(kCombo, C::kSelection), Notification(kCombo, C::kItems)));
    controls.SetCurSel(kCombo, 1);
    controls.AddString(kCombo, "0");
    EXPECT_THAT(Take(), ElementsAre(Notification(kCombo, C::kSelection),
                                    Notification(kCombo, C::kItems | C::kSelection)));
    EXPECT_EQ(controls.CurSel(kCombo), 2);

    controls.SetTopIndex(kCombo, 1);
    controls.SetTopIndex(kCombo, 1);
    controls.SetTopIndex(kCombo, 9); // clamped to the last entry
    controls.ResetContent(kCombo);
    controls.ResetContent(kCombo);
    EXPECT_THAT(Take(),
                ElementsAre(Notification(kCombo, C::kTopIndex), Notification(kCombo, C::kTopIndex),
                            Notification(kCombo, C::kItems | C::kSelection | C::kTopIndex)));

    controls.SetPosition(kSlider, 50);
    controls.SetPosition(kSlider, 50);
    controls.SetPosition(kSlider, 500); // clamped to 100
    controls.SetRange(kSlider, 0, 100);
    controls.SetRange(kSlider, 0, 200);
    controls.SetRange(kSlider, 0, 40); // the position follows into the range
    EXPECT_THAT(Take(),
                ElementsAre(Notification(kSlider, C::kPosition),
                            Notification(kSlider, C::kPosition), Notification(kSlider, C::kRange),
                            Notification(kSlider, C::kRange | C::kPosition)));
    EXPECT_EQ(controls.Position(kSlider), 40);

    // Focus and the default button tell the control that lost them too.
    controls.SetFocus(kEdit);
    controls.SetFocus(kEdit);
    controls.SetFocus(kButton);
    controls.SetDefaultButton(kButton);
    controls.SetDefaultButton(kButton);
    EXPECT_THAT(Take(), ElementsAre(Notification(kEdit, C::kFocus), Notification(kEdit, C::kFocus),
                                    Notification(kButton, C::kFocus),
                                    Notification(kButton, C::kDefaultButton)));
}

TEST_F(DialogControlsTest, ARedrawBracketDeliversOneNotificationWithTheUnion) {
    controls.SetSorted(kList, true);
    controls.AddString(kList, "old");
    Take();

    controls.SetRedraw(kList, false);
    controls.ResetContent(kList);
    for (const char* name : {"W1AW", "G4ABC", "DL1XYZ", "K1ABC", "F5XYZ"})
        controls.AddString(kList, name);
    controls.SetCurSel(kList, 2);
    controls.SetTopIndex(kList, 1);
    controls.SetText(kEdit, "elsewhere"); // other controls are not held back
    EXPECT_THAT(Take(), ElementsAre(Notification(kEdit, C::kText)));
    controls.SetRedraw(kList, true);
    EXPECT_THAT(Take(), ElementsAre(Notification(kList, C::kItems | C::kSelection | C::kText |
                                                            C::kTopIndex)));
    controls.SetRedraw(kList, true);
    EXPECT_THAT(Take(), IsEmpty());

    // A bracket that changes nothing says nothing.
    controls.SetRedraw(kList, false);
    controls.SetCurSel(kList, 2);
    controls.SetRedraw(kList, true);
    EXPECT_THAT(Take(), IsEmpty());

    // A user change inside a bracket comes out without its origin, so the
    // widget takes the model's state back.
    controls.SetRedraw(kList, false);
    controls.UserSetCurSel(kList, 0);
    controls.SetHighlighted(kList, true);
    controls.SetRedraw(kList, true);
    EXPECT_THAT(Take(), ElementsAre(Notification(kList, C::kSelection | C::kText | C::kHighlight)));
}

TEST_F(DialogControlsTest, UserInputIsNotifiedWithItsOrigin) {
    controls.AddString(kCombo, "ROOM1");
    controls.AddString(kCombo, "ROOM2");
    controls.SetRange(kSlider, 300, 3000);
    Take();

    controls.UserSetText(kCombo, "ROO");
    controls.UserSetText(kCombo, "ROO");
    controls.UserSetCurSel(kCombo, 1);
    controls.UserSetCheck(kButton, 1);
    controls.UserSetPosition(kSlider, 5000);
    controls.UserSetPosition(kSlider, 3000);
    EXPECT_THAT(Take(), ElementsAre(Notification(kCombo, C::kText | C::kFromUser),
                                    Notification(kCombo, C::kSelection | C::kText | C::kFromUser),
                                    Notification(kButton, C::kCheck | C::kFromUser),
                                    Notification(kSlider, C::kPosition | C::kFromUser)));
    EXPECT_EQ(controls.Text(kCombo), "ROOM2");
    EXPECT_EQ(controls.Position(kSlider), 3000);

    controls.SetCheck(kButton, 0);
    EXPECT_THAT(Take(), ElementsAre(Notification(kButton, C::kCheck)));
}

TEST_F(DialogControlsTest, SeveralObserversEachHearUntilRemoved) {
    std::vector<Notification> logger;
    const int loggerHandle =
        controls.AddObserver([&](int id, uint32_t changes) { logger.emplace_back(id, changes); });
    controls.SetText(kEdit, "a");
    controls.RemoveObserver(loggerHandle);
    controls.SetText(kEdit, "b");
    EXPECT_THAT(logger, ElementsAre(Notification(kEdit, C::kText)));
    EXPECT_EQ(Take().size(), 2u);

    // An observer removed by an earlier one during a notification is not called.
    int late = 0;
    int lateHandle = 0;
    controls.AddObserver([&](int, uint32_t) { controls.RemoveObserver(lateHandle); });
    lateHandle = controls.AddObserver([&](int, uint32_t) { ++late; });
    controls.SetText(kEdit, "c");
    controls.SetText(kEdit, "d");
    EXPECT_EQ(late, 0);
    EXPECT_EQ(Take().size(), 2u);
}

TEST_F(DialogControlsTest, FindStringExactMatchesWholeEntriesIgnoringCase) {
    for (const char* room : {"100", "101", "Lobby", "lobby2"})
        controls.AddString(kCombo, room);
    EXPECT_EQ(controls.FindStringExact(kCombo, "10"), -1);
    EXPECT_EQ(controls.FindStringExact(kCombo, "101"), 1);
    EXPECT_EQ(controls.FindStringExact(kCombo, "LOBBY"), 2);
    EXPECT_EQ(controls.FindStringExact(kCombo, "lobby2"), 3);
    EXPECT_EQ(controls.FindStringExact(kCombo, "lobby22"), -1);
    EXPECT_EQ(controls.FindStringExact(kList, "100"), -1);
}

} // namespace
