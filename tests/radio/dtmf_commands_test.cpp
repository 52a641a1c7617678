#include "radio/dtmf_commands.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace {

using Command = CDtmfCommands::Decision::Command;
using Message = CDtmfCommands::Message;

// The interpreter with a clock the test moves, and the timer's follow-up
// looked at after every step, as the window's 250 ms timer does.
struct Keyer {
    CManualClock clock;
    CDtmfCommands commands{clock};
    CDtmfCommands::Codes codes;
    bool connected = false;
    size_t presets = 8;
    std::vector<CDtmfCommands::Decision> decisions;
    std::vector<CDtmfCommands::FollowUp> followUps;

    void Wait(uint32_t ms) {
        for (uint32_t waited = 0; waited < ms; waited += 250) {
            clock.Advance(std::min<uint32_t>(250, ms - waited));
            if (auto followUp = commands.TakeFollowUp())
                followUps.push_back(*followUp);
        }
    }
    // Keys with gapMs between them.
    void Key(const std::string& keys, uint32_t gapMs = 500) {
        for (char key : keys) {
            const CDtmfCommands::KeyStep step =
                commands.OnKey(key, codes, connected, presets, /*voxBoxChecked=*/true);
            decisions.insert(decisions.end(), step.decisions.begin(), step.decisions.end());
            Wait(gapMs);
        }
    }
};

TEST(DtmfCommands, ConnectCodeKeyedInTimeGoesToTheFirstPresetAndAsksForTheConnectMessage) {
    Keyer k;
    k.codes = {"1234", "99"};
    k.Key("#1234", 2900);
    ASSERT_EQ(k.decisions.size(), 1u);
    EXPECT_EQ(k.decisions[0].command, Command::ConnectCode);
    EXPECT_EQ(k.decisions[0].preset, 0);
    EXPECT_TRUE(k.decisions[0].obeyed);
    EXPECT_EQ(k.commands.Result(), CDtmfCommands::kConnect);
    EXPECT_TRUE(k.followUps.empty()); // 2.9 s after the last key
    EXPECT_EQ(k.commands.Keys(), "#1234");
    k.Wait(100);
    EXPECT_TRUE(k.followUps.empty()); // exactly 3 s: not yet
    k.Wait(1);
    ASSERT_EQ(k.followUps.size(), 1u);
    EXPECT_EQ(k.followUps[0].keys, "#1234");
    EXPECT_EQ(k.followUps[0].message, Message::Connect);
    EXPECT_TRUE(k.followUps[0].matchedCommand);
    EXPECT_EQ(k.commands.Keys(), "");

    // A pause of more than 3 s in the middle: the keys so far are cleared
    // and the rest matches nothing.
    Keyer paused;
    paused.codes = {"1234", "99"};
    paused.Key("#12");
    paused.Wait(3000);
    paused.Key("34");
    paused.Wait(3100);
    EXPECT_TRUE(paused.decisions.empty());
    ASSERT_EQ(paused.followUps.size(), 2u);
    EXPECT_EQ(paused.followUps[0].keys, "#12");
    EXPECT_EQ(paused.followUps[1].keys, "34");
    for (const CDtmfCommands::FollowUp& f : paused.followUps) {
        EXPECT_EQ(f.message, Message::None);
        EXPECT_FALSE(f.matchedCommand);
    }

    // A key after a complete command makes the text match nothing.
    Keyer extra;
    extra.codes = {"1234", "99"};
    extra.Key("#12345", 100);
    extra.Wait(3100);
    EXPECT_EQ(extra.commands.Result(), CDtmfCommands::kAnyKey);
    ASSERT_EQ(extra.followUps.size(), 1u);
    EXPECT_EQ(extra.followUps[0].message, Message::None);
}

TEST(DtmfCommands, EmptyCodesMakeALoneHashConnectThenDisconnect) {
    Keyer k;
    k.Key("#", 3100);
    ASSERT_EQ(k.decisions.size(), 2u);
    EXPECT_EQ(k.decisions[0].command, Command::ConnectCode);
    EXPECT_EQ(k.decisions[1].command, Command::DisconnectCode);
    ASSERT_EQ(k.followUps.size(), 1u);
    EXPECT_EQ(k.followUps[0].message, Message::Disconnect);

    // Without presets the connect command is ignored; the disconnect stands.
    Keyer bare;
    bare.presets = 0;
    bare.Key("#", 3100);
    ASSERT_EQ(bare.decisions.size(), 2u);
    EXPECT_FALSE(bare.decisions[0].obeyed);
    EXPECT_EQ(bare.decisions[0].whyIgnored, "there is no preset 0");
    EXPECT_TRUE(bare.decisions[1].obeyed);
    EXPECT_EQ(bare.followUps.at(0).message, Message::Disconnect);
}

TEST(DtmfCommands, StarPresetsWorkOnlyWhileConnectedAndOnlyForPresetsThatExist) {
    Keyer idle;
    idle.Key("*3");
    idle.Wait(3100);
    ASSERT_EQ(idle.decisions.size(), 1u);
    EXPECT_FALSE(idle.decisions[0].obeyed);
    EXPECT_EQ(idle.decisions[0].whyIgnored, "not connected");
    EXPECT_EQ(idle.followUps.at(0).message, Message::None);

    Keyer k;
    k.connected = true;
    k.presets = 4;
    k.Key("*3");
    k.Wait(3100);
    k.Key("*1");
    k.Wait(3100);
    k.Key("*5");
    k.Wait(3100);
    k.Key("*8");
    k.Wait(3100);
    ASSERT_EQ(k.decisions.size(), 3u); // "*8" is no command
    EXPECT_EQ(k.decisions[0].preset, 3);
    EXPECT_TRUE(k.decisions[0].obeyed);
    EXPECT_EQ(k.decisions[1].preset, 1);
    EXPECT_FALSE(k.decisions[2].obeyed);
    EXPECT_EQ(k.decisions[2].whyIgnored, "there is no preset 5");
    ASSERT_EQ(k.followUps.size(), 4u);
    // Only preset 1 has a message of its own.
    EXPECT_EQ(k.followUps[0].message, Message::None);
    EXPECT_EQ(k.followUps[1].message, Message::PresetRoom1);
    EXPECT_EQ(k.followUps[2].message, Message::None);
    EXPECT_EQ(k.followUps[3].message, Message::None);
}

TEST(DtmfCommands, TheVoxBoxIsShownAgainOnlyWhenAKeyClearedIt) {
    CManualClock clock;
    CDtmfCommands commands(clock);
    EXPECT_TRUE(commands.OnKey('5', {}, false, 0, true).clearVoxBox);
    EXPECT_FALSE(commands.OnKey('5', {}, false, 0, false).clearVoxBox);
    clock.Advance(3001);
    EXPECT_TRUE(commands.TakeFollowUp()->showVoxBoxAgain);

    EXPECT_FALSE(commands.OnKey('5', {}, false, 0, false).clearVoxBox);
    clock.Advance(3001);
    EXPECT_FALSE(commands.TakeFollowUp()->showVoxBoxAgain);
    EXPECT_FALSE(commands.TakeFollowUp()); // nothing more to follow up
}

} // namespace
