// A USB serial adapter unplugged and plugged in again, and a keying port
// that never opened: nothing claims a keying that did not happen.

#include "tests/radio/rig_test_support.h"

#include <gtest/gtest.h>

namespace {

size_t NotesStartingWith(const std::vector<std::string>& notes, const std::string& prefix) {
    return size_t(std::count_if(notes.begin(), notes.end(),
                                [&](const std::string& n) { return n.rfind(prefix, 0) == 0; }));
}

TEST(RigPortLoss, AnUnpluggedPortReleasesEndsTheMonitorAndComesBack) {
    CManualClock clock;
    RigOnFakePort f;
    CRigKeying rig(f.Options(clock));
    RigSettings s;
    s.keyingMethod = RigKeyingMethod::ComPort;
    s.comPort = 2;
    s.keyLine = RigKeyLine::Rts;
    s.invertKeying = false;
    s.squelchLine = RigSquelchLine::Cts;
    f.device.SetCts(true); // at rest: not asserted is open
    rig.OpenRigPort(s);
    ASSERT_TRUE(rig.IsMonitorRunning());
    ASSERT_TRUE(f.device.WaitForStatusReads(1, 3000));
    f.device.SetCts(false);
    ASSERT_TRUE(f.events.WaitForCount(1));
    ASSERT_TRUE(f.events.Events().front().open);
    rig.Key();
    ASSERT_TRUE(f.device.Rts());

    f.device.Unplug(true);
    // The monitor reports the squelch closed, so push-to-talk does not stay on.
    ASSERT_TRUE(f.events.WaitForCount(2));
    EXPECT_FALSE(f.events.Events().back().open);
    rig.CheckPort();
    EXPECT_FALSE(rig.IsKeyed() || rig.IsLampOn() || rig.IsPortOpen() || rig.IsMonitorRunning());
    EXPECT_EQ(f.notes, std::vector<std::string>{
                           "COM2 (/dev/ttyUSB0) has gone (unplugged?): the transmitter counts as "
                           "released; trying the port again every 2 s"});

    // Keying while it is gone keys nothing and says why, once.
    rig.Key();
    rig.Key();
    EXPECT_FALSE(rig.IsKeyed() || rig.IsLampOn());
    EXPECT_EQ(NotesStartingWith(f.notes, "The transmitter cannot be keyed: COM2 (/dev/ttyUSB0) "
                                         "has gone."),
              1u);

    // Tried again every 2 s, quietly while it stays away.
    const int opens = f.device.Opens();
    clock.Advance(1999);
    rig.CheckPort();
    EXPECT_EQ(f.device.Opens(), opens);
    clock.Advance(1);
    rig.CheckPort();
    EXPECT_FALSE(rig.IsPortOpen());
    EXPECT_EQ(f.notes.size(), 2u);
    EXPECT_TRUE(f.errors.empty());

    f.device.Unplug(false);
    clock.Advance(2000);
    rig.CheckPort();
    EXPECT_TRUE(rig.IsPortOpen() && rig.IsMonitorRunning());
    EXPECT_EQ(f.notes.back(), "COM2 (/dev/ttyUSB0) is back: keying and squelch work again");
    EXPECT_FALSE(f.device.Rts());
    rig.Key();
    EXPECT_TRUE(rig.IsKeyed() && f.device.Rts());
    // A later loss says so again.
    rig.Unkey();
    f.device.Unplug(true);
    rig.CheckPort();
    rig.Key();
    EXPECT_EQ(NotesStartingWith(f.notes, "The transmitter cannot be keyed"), 2u);
}

TEST(RigPortLoss, APortThatDidNotOpenNeverLightsTheLampAndIsTriedAgain) {
    CManualClock clock;
    RigOnFakePort f;
    f.device.Unplug(true);
    CRigKeying rig(f.Options(clock));
    rig.OpenRigPort([] {
        RigSettings s;
        s.keyingMethod = RigKeyingMethod::ILink;
        s.ilinkPort = 2;
        return s;
    }());
    EXPECT_EQ(f.errors, std::vector<std::string>{"Cannot Open Comm Port"});
    rig.Key();
    EXPECT_FALSE(rig.IsKeyed() || rig.IsLampOn());
    EXPECT_EQ(f.notes, std::vector<std::string>{"The transmitter cannot be keyed: /dev/ttyUSB0: "
                                                "No such file or directory."});
    f.device.Unplug(false);
    clock.Advance(2000);
    rig.CheckPort();
    rig.Key();
    EXPECT_TRUE(rig.IsKeyed());
    EXPECT_EQ(f.device.WrittenBytes(), (std::vector<uint8_t>{'R', 'T'}));
}

} // namespace
