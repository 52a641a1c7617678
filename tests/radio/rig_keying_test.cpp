#include "tests/radio/rig_test_support.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>

namespace {

using Bytes = std::vector<uint8_t>;

RigSettings Method(RigKeyingMethod method) {
    RigSettings s;
    s.keyingMethod = method;
    s.comPort = 3;
    return s;
}

TEST(RigKeying, ComPortKeyingDrivesTheChosenLineAndAlwaysEndsReleased) {
    for (const RigKeyLine keyLine : {RigKeyLine::Rts, RigKeyLine::Dtr}) {
        for (const bool invert : {false, true}) {
            SCOPED_TRACE(testing::Message() << "keyLine " << int(keyLine) << " invert " << invert);
            RigOnFakePort f;
            auto rig = std::make_unique<CRigKeying>(f.Options());
            RigSettings s = Method(RigKeyingMethod::ComPort);
            s.keyLine = keyLine;
            s.invertKeying = invert;
            rig->OpenRigPort(s);
            EXPECT_EQ(f.device.OpenedPath(), "/dev/serial/by-id/usb-FTDI_FT232R-if00-port0");
            EXPECT_EQ(f.device.OpenedBaud(), 2400);
            EXPECT_FALSE(rig->IsMonitorRunning()); // no squelch input

            const bool rts = keyLine == RigKeyLine::Rts;
            auto line = [&] { return rts ? f.device.Rts() : f.device.Dtr(); };
            auto other = [&] { return rts ? f.device.Dtr() : f.device.Rts(); };
            // Plain keying starts with both lines low; inverted keying keeps the lines the open
            // raised, which is the released level.
            EXPECT_EQ(line(), invert);
            EXPECT_EQ(other(), invert);
            rig->Key();
            EXPECT_EQ(line(), !invert);
            EXPECT_EQ(other(), invert);
            EXPECT_TRUE(rig->IsKeyed() && rig->IsLampOn());
            rig->Unkey();
            EXPECT_EQ(line(), invert);
            EXPECT_FALSE(rig->IsKeyed() || rig->IsLampOn());

            // Closing and destroying while keyed release first; a closed port moves nothing.
            rig->Key();
            rig->CloseRigPort();
            EXPECT_EQ(line(), invert);
            const size_t changes = f.device.LineChanges().size();
            rig->Key();
            EXPECT_EQ(f.device.LineChanges().size(), changes);
            rig->OpenRigPort(s);
            rig->OpenRigPort(s); // closes the port it had first
            rig->Key();
            rig.reset();
            EXPECT_EQ(line(), invert);
            EXPECT_EQ(f.device.Opens(), 3);
            EXPECT_FALSE(f.device.IsOpen());
        }
    }
}

TEST(RigKeying, ILinkBoardIsKeyedWithTAndReleasedWithR) {
    RigOnFakePort f;
    auto rig = std::make_unique<CRigKeying>(f.Options());
    RigSettings s = Method(RigKeyingMethod::ILink);
    s.ilinkPort = 2;
    rig->OpenRigPort(s);
    EXPECT_EQ(f.device.OpenedPath(), "/dev/ttyUSB0");
    EXPECT_EQ(f.device.OpenedBaud(), 2400);
    rig->Key();
    rig->Unkey();
    rig->Key();
    rig.reset();
    EXPECT_EQ(f.device.WrittenBytes(), (Bytes{'R', 'T', 'R', 'T', 'R'}));
    EXPECT_TRUE(f.device.LineChanges().empty());
}

TEST(RigKeying, ToneAndVoxOpenNoPortAndTheToneMethodMakesItsTone) {
    for (const RigKeyingMethod method : {RigKeyingMethod::Tone, RigKeyingMethod::Vox}) {
        RigOnFakePort f;
        CRigKeying rig(f.Options());
        RigSettings s = Method(method);
        s.squelchLine = RigSquelchLine::Cts;
        s.toneLevel = 3000;
        rig.OpenRigPort(s);
        rig.Key();
        EXPECT_TRUE(rig.IsKeyed());
        EXPECT_EQ(f.device.Opens(), 0);
        EXPECT_FALSE(rig.IsMonitorRunning());
        const std::vector<int16_t>& tone = rig.KeyingTone().samples;
        EXPECT_EQ(tone.empty(), method == RigKeyingMethod::Vox);
        if (tone.empty())
            continue;
        // 200 ms at 8 kHz: 16 whole periods of 80 Hz at the tone level.
        ASSERT_EQ(tone.size(), 1600u);
        EXPECT_NEAR(*std::max_element(tone.begin(), tone.end()), 3000, 2);
        int rises = 0;
        for (size_t i = 1; i < tone.size(); ++i)
            rises += tone[i - 1] < 0 && tone[i] >= 0;
        EXPECT_NEAR(rises, 16, 1);
    }
}

TEST(RigKeying, ReleaseDeadlineUnkeysOnceAndKeyingAgainCancelsIt) {
    RigOnFakePort f;
    CManualClock clock(0xFFFFFF00u); // the deadline lies beyond the wrap of the tick count
    CRigKeying rig(f.Options(clock));
    rig.OpenRigPort(Method(RigKeyingMethod::ILink));
    rig.Key();
    rig.UnkeyAfter(600);
    clock.Advance(599);
    rig.CheckReleaseDeadline();
    EXPECT_TRUE(rig.IsKeyed());
    clock.Advance(1);
    rig.CheckReleaseDeadline();
    EXPECT_FALSE(rig.IsKeyed());
    clock.Advance(5000);
    rig.CheckReleaseDeadline(); // used up: no second release
    EXPECT_EQ(f.device.WrittenBytes(), (Bytes{'R', 'T', 'R'}));

    // A sound that starts before the release of the one before keeps the transmitter keyed.
    rig.Key();
    rig.UnkeyAfter(600);
    clock.Advance(300);
    rig.Key();
    clock.Advance(1000);
    rig.CheckReleaseDeadline();
    EXPECT_TRUE(rig.IsKeyed());
}

TEST(RigKeying, PortFailuresAreReportedAndKeyingThenTouchesNoHardware) {
    const std::pair<SerialOpenError, const char*> cases[] = {
        {SerialOpenError::Open, "Cannot Open Comm Port"},
        {SerialOpenError::Query, "Cannot Query Comm Port"},
        {SerialOpenError::Configure, "Cannot Set Comm Port state"},
    };
    for (const auto& [step, text] : cases) {
        RigOnFakePort f;
        f.device.FailOpen(step);
        CRigKeying rig(f.Options());
        RigSettings s = Method(RigKeyingMethod::ComPort);
        s.squelchLine = RigSquelchLine::Cts;
        rig.OpenRigPort(s);
        EXPECT_EQ(f.errors, std::vector<std::string>{text});
        EXPECT_FALSE(rig.IsPortOpen() || rig.IsMonitorRunning());
        rig.Key();
        rig.Unkey();
        EXPECT_TRUE(f.device.LineChanges().empty() && f.device.Writes().empty());
    }

    RigOnFakePort f;
    CRigKeying rig(f.Options());
    RigSettings s = Method(RigKeyingMethod::ILink);
    s.ilinkPort = 0;
    rig.OpenRigPort(s);
    EXPECT_EQ(f.errors, std::vector<std::string>{"Cannot Open Comm Port"});
    EXPECT_EQ(f.details, std::vector<std::string>{"COM0 names no serial device."});
}

TEST(RigKeying, WindowLayoutFollowsTheMethodAndTheSquelchInput) {
    RigSettings halvek = Method(RigKeyingMethod::Halvek);
    const RigWindowLayout h = RigWindowLayoutFor(halvek, 1280);
    EXPECT_STREQ(h.voxBoxCaption, "Vox");
    EXPECT_STREQ(h.micSliderLabel, "Sql  Vu  Vol");
    EXPECT_FALSE(h.showSilenceLevel);
    EXPECT_EQ(h.voxSliderMaximum, 15);
    EXPECT_EQ(HalvekSquelchLevelFromSlider(h.voxSliderPosition), halvek.halvekSquelchLevel);

    RigSettings com = Method(RigKeyingMethod::ComPort);
    com.squelchLine = RigSquelchLine::Dsr;
    const RigWindowLayout c = RigWindowLayoutFor(com, 1280);
    EXPECT_STREQ(c.voxBoxCaption, "Mute");
    EXPECT_STREQ(c.micSliderLabel, "Vox  Vu  Vol");
    EXPECT_EQ(c.voxSliderPosition, 32768 - 1280);
    EXPECT_FALSE(c.voxSliderSetsSquelchLevel);
}

} // namespace
