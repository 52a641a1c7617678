#include "client/control_ids.h"
#include "client/push_to_talk_button.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <vector>

using ::testing::ElementsAre;
using ::testing::IsEmpty;

namespace {

class PushToTalkButtonTest : public ::testing::Test {
protected:
    PushToTalkButtonTest() { button.SetCommands(IDC_PTT_START, IDC_PTT_STOP); }

    std::vector<int> sent;
    std::vector<int> posted;
    CPushToTalkButton button{[this](int id) { sent.push_back(id); },
                             [this](int id) { posted.push_back(id); }};
};

TEST_F(PushToTalkButtonTest, ArmedButtonSendsPressAndRelease) {
    button.SetArmed(true);
    button.MouseDown();
    EXPECT_TRUE(button.IsHeld());
    button.MouseUp();
    EXPECT_FALSE(button.IsHeld());
    EXPECT_THAT(sent, ElementsAre(IDC_PTT_START, IDC_PTT_STOP));
    EXPECT_THAT(posted, IsEmpty());
}

TEST_F(PushToTalkButtonTest, HeldWhileDisarmedPostsPressWhenArmed) {
    button.MouseDown();
    EXPECT_THAT(sent, IsEmpty());
    button.SetArmed(true);
    EXPECT_THAT(posted, ElementsAre(IDC_PTT_START));
    // Arming again while already armed posts nothing more.
    button.SetArmed(true);
    EXPECT_THAT(posted, ElementsAre(IDC_PTT_START));
    button.MouseUp();
    EXPECT_THAT(sent, ElementsAre(IDC_PTT_STOP));
}

TEST_F(PushToTalkButtonTest, DisarmingAHeldButtonDeliversNothing) {
    button.SetArmed(true);
    button.MouseDown();
    button.SetArmed(false);
    button.MouseUp();
    EXPECT_THAT(sent, ElementsAre(IDC_PTT_START));
    EXPECT_THAT(posted, IsEmpty());

    // Arming a button that is not held posts nothing either.
    button.SetArmed(true);
    EXPECT_THAT(posted, IsEmpty());
}

} // namespace
