#include "radio/dtmf_commands.h"

#include <gtest/gtest.h>

namespace {

// The interpreter on a clock the test moves, looked at every 250 ms as the
// window's timer does. What it decides is written into `trace`: "go N",
// "disconnect", "ignored: why", and each follow-up as "KEYS -> message".
struct Keyer {
    CManualClock clock;
    CDtmfCommands commands{clock};
    CDtmfCommands::Codes codes{"1234", "99"};
    bool connected = false;
    size_t presets = 4;
    std::vector<std::string> trace;

    void Wait(uint32_t ms) {
        for (uint32_t waited = 0; waited < ms; waited += 250) {
            clock.Advance(250);
            if (auto f = commands.TakeFollowUp()) {
                static const char* kMessages[] = {"none", "connect", "disconnect", "room 1"};
                trace.push_back(f->keys + " -> " + kMessages[int(f->message)]);
            }
        }
    }
    // Keys 500 ms apart, then the wait.
    void Key(const std::string& keys, uint32_t thenMs = 3250) {
        for (size_t i = 0; i < keys.size(); ++i) {
            for (const auto& d : commands.OnKey(keys[i], codes, connected, presets, true).decisions)
                trace.push_back(!d.obeyed ? "ignored: " + d.whyIgnored
                                : d.command == CDtmfCommands::Decision::Command::DisconnectCode
                                    ? "disconnect"
                                    : "go " + std::to_string(d.preset));
            Wait(i + 1 < keys.size() ? 500 : thenMs);
        }
    }
};

using Trace = std::vector<std::string>;

TEST(DtmfCommands, CodesMatchOnlyTheWholeTextKeyedWithinThreeSeconds) {
    Keyer k;
    k.Key("#1234", 3000);
    EXPECT_EQ(k.trace, Trace{"go 0"}); // exactly 3 s after the last key: not yet
    EXPECT_EQ(k.commands.Keys(), "#1234");
    k.Wait(250);
    EXPECT_EQ(k.trace, (Trace{"go 0", "#1234 -> connect"}));

    Keyer paused; // a pause of more than 3 s clears the text: nothing matches
    paused.Key("#12");
    paused.Key("34");
    paused.Key("#12345"); // a key after a complete command
    paused.Key("#99");
    EXPECT_EQ(paused.trace, (Trace{"#12 -> none", "34 -> none", "go 0", "#12345 -> none",
                                   "disconnect", "#99 -> disconnect"}));
}

TEST(DtmfCommands, EmptyCodesMakeALoneHashConnectThenDisconnect) {
    Keyer k;
    k.codes = {"", ""};
    k.Key("#");
    k.presets = 0; // a preset that does not exist is ignored; the disconnect stands
    k.Key("#");
    EXPECT_EQ(k.trace, (Trace{"go 0", "disconnect", "# -> disconnect",
                              "ignored: there is no preset 0", "disconnect", "# -> disconnect"}));
}

TEST(DtmfCommands, StarPresetsWorkWhileConnectedAndOnlyPresetOneHasAMessage) {
    Keyer k;
    k.Key("*3");
    k.connected = true;
    for (const char* keys : {"*3", "*1", "*5", "*8"})
        k.Key(keys);
    EXPECT_EQ(k.trace,
              (Trace{"ignored: not connected", "*3 -> none", "go 3", "*3 -> none", "go 1",
                     "*1 -> room 1", "ignored: there is no preset 5", "*5 -> none", "*8 -> none"}));
}

TEST(DtmfCommands, TheVoxBoxIsShownAgainOnlyWhenAKeyClearedIt) {
    CManualClock clock;
    CDtmfCommands commands(clock);
    EXPECT_TRUE(commands.OnKey('5', {}, false, 0, true).clearVoxBox);
    EXPECT_FALSE(commands.OnKey('5', {}, false, 0, false).clearVoxBox);
    clock.Advance(3001);
    EXPECT_TRUE(commands.TakeFollowUp()->showVoxBoxAgain);
    commands.OnKey('5', {}, false, 0, false);
    clock.Advance(3001);
    EXPECT_FALSE(commands.TakeFollowUp()->showVoxBoxAgain);
    EXPECT_FALSE(commands.TakeFollowUp()); // nothing more to follow up
}

} // namespace
