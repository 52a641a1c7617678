// A window's message box runs a nested event loop: whatever was queued meanwhile
// (member redraws, audio switches) runs inside it, on the same thread. The
// gateway must never show one while it holds a lock that those calls take.

#include "client/control_ids.h"
#include "tests/client/event_loop.h"
#include "tests/client/gateway_fixture.h"

#include <gtest/gtest.h>

namespace {

class NestedLoopPrompt : public FakeUserPrompt {
public:
    void ShowMessage(const std::string& text, const std::string& caption, Icon icon) override {
        FakeUserPrompt::ShowMessage(text, caption, icon);
        RunFor(50);
    }
    bool AskYesNo(const std::string& text) override {
        RunFor(50);
        return FakeUserPrompt::AskYesNo(text);
    }
};

TEST(NestedPrompt, EventsQueuedDuringAMessageBoxRunWithoutHanging) {
    NestedLoopPrompt prompt;
    Gateway g({.playbackOpens = false, .prompt = &prompt});
    ASSERT_TRUE(g.ok);
    // Each packet of room audio fails to start playback and shows a message;
    // the talker change right behind it asks for a member redraw meanwhile.
    for (size_t i = 0; i < 3; ++i) {
        CTalkingMessage talking;
        talking.talker = i % 2 ? "M0RMT" : "";
        g.SendRoomAudio(1);
        ASSERT_TRUE(g.peer.Send(talking));
        ASSERT_TRUE(RunUntil([&] {
            g.Capture();
            return prompt.messages.size() > i;
        }));
        ASSERT_TRUE(RunUntil([&] { return g.Client().Talker() == talking.talker; }));
    }
    // A field that fails its check while connecting shows its message too.
    g.Client().OnCommand(IDC_DISCONNECT);
    g.harness->Controls().SetText(IDC_PORT, "0");
    g.Client().OnCommand(IDC_CONNECT);
    ASSERT_TRUE(RunUntil([&] { return !g.Client().State().ConnectInProgress(); }));
    EXPECT_EQ(prompt.messages.back().text, "Enter an integer between 1 and 65535.");
}

} // namespace
