// The CM108 and GPIO methods through fake lines: keying, the squelch input, a device that goes
// and comes back, and one that does not open.

#include "tests/radio/fake_rig_lines.h"
#include "tests/radio/rig_test_support.h"

#include <gtest/gtest.h>

namespace {

struct RigOnFakeLines {
    RigKeyingOptions Options(IClock& clock = SystemClock()) {
        RigKeyingOptions options;
        options.linesFactory = lines.Factory("CM108 /dev/hidraw3");
        options.onSquelch = events.Callback();
        options.onError = [this](const std::string& message, const std::string& detail) {
            errors.push_back(message + ": " + detail);
        };
        options.onNote = [this](const std::string& line) { notes.push_back(line); };
        options.clock = &clock;
        return options;
    }

    CFakeRigLines lines;
    CSquelchEvents events;
    std::vector<std::string> errors;
    std::vector<std::string> notes;
};

RigSettings Method(RigKeyingMethod method, RigSquelchLine squelch) {
    RigSettings s;
    s.keyingMethod = method;
    s.squelchLine = squelch;
    return s;
}

TEST(RigLineKeying, KeysAndReleasesTheLineOfEitherMethod) {
    for (const RigKeyingMethod method : {RigKeyingMethod::Cm108, RigKeyingMethod::Gpio}) {
        RigOnFakeLines f;
        CRigKeying rig(f.Options());
        rig.OpenRigPort(Method(method, RigSquelchLine::None));
        EXPECT_TRUE(rig.IsPortOpen());
        EXPECT_FALSE(rig.IsMonitorRunning()); // no squelch input
        rig.Key();
        EXPECT_TRUE(f.lines.Keyed() && rig.IsKeyed() && rig.IsLampOn());
        rig.Unkey();
        EXPECT_FALSE(f.lines.Keyed() || rig.IsKeyed());
        rig.Key();
        rig.CloseRigPort();
        EXPECT_FALSE(f.lines.Keyed() || rig.IsPortOpen());
        EXPECT_TRUE(f.errors.empty() && f.notes.empty());
    }
}

TEST(RigLineKeying, SquelchOpensAtOnceClosesAfterHalfASecondAndIgnoresFailedReads) {
    for (const RigSquelchLine squelch : {RigSquelchLine::Cm108VolumeDown, RigSquelchLine::Gpio}) {
        RigOnFakeLines f;
        f.lines.SetSquelchOpen(true); // a carrier at the start opens the squelch
        CRigKeying rig(f.Options());
        rig.OpenRigPort(
            Method(squelch == RigSquelchLine::Gpio ? RigKeyingMethod::Gpio : RigKeyingMethod::Cm108,
                   squelch));
        ASSERT_TRUE(f.events.WaitForCount(1));
        EXPECT_TRUE(f.events.Events()[0].open);

        // A dropout of a few reads is bridged; failed reads change nothing.
        f.lines.SetSquelchOpen(false);
        ASSERT_TRUE(f.lines.WaitForSquelchReads(f.lines.SquelchReads() + 4));
        f.lines.SetSquelchOpen(true);
        ASSERT_TRUE(f.lines.WaitForSquelchReads(f.lines.SquelchReads() + 2));
        f.lines.FailSquelchReads(true);
        ASSERT_TRUE(f.lines.WaitForSquelchReads(f.lines.SquelchReads() + 15));
        EXPECT_EQ(f.events.Events().size(), 1u);

        f.lines.FailSquelchReads(false);
        f.lines.SetSquelchOpen(false);
        const int readsAtClose = f.lines.SquelchReads();
        ASSERT_TRUE(f.events.WaitForCount(2));
        EXPECT_FALSE(f.events.Events()[1].open);
        EXPECT_GE(f.lines.SquelchReads(), readsAtClose + 10);
    }
}

TEST(RigLineKeying, AnUnpluggedDeviceReleasesClosesTheSquelchAndComesBack) {
    CManualClock clock;
    RigOnFakeLines f;
    CRigKeying rig(f.Options(clock));
    rig.OpenRigPort(Method(RigKeyingMethod::Cm108, RigSquelchLine::Cm108VolumeDown));
    f.lines.SetSquelchOpen(true);
    ASSERT_TRUE(f.events.WaitForCount(1));
    rig.Key();

    f.lines.Unplug(true);
    rig.CheckPort();
    EXPECT_FALSE(rig.IsKeyed() || rig.IsLampOn() || rig.IsPortOpen() || rig.IsMonitorRunning());
    ASSERT_EQ(f.events.Events().size(), 2u);
    EXPECT_FALSE(f.events.Events()[1].open);
    EXPECT_EQ(f.notes, std::vector<std::string>{
                           "CM108 /dev/hidraw3 has gone (unplugged?): the transmitter counts as "
                           "released; trying it again every 2 s"});
    rig.Key();
    rig.Key();
    EXPECT_FALSE(rig.IsLampOn());
    EXPECT_EQ(f.notes.back(), "The transmitter cannot be keyed: CM108 /dev/hidraw3 has gone.");
    EXPECT_EQ(f.notes.size(), 2u);

    const int opens = f.lines.Opens();
    clock.Advance(1999);
    rig.CheckPort();
    EXPECT_EQ(f.lines.Opens(), opens);
    clock.Advance(1);
    rig.CheckPort();
    EXPECT_EQ(f.lines.Opens(), opens + 1);
    EXPECT_EQ(f.notes.size(), 2u);

    f.lines.Unplug(false);
    clock.Advance(2000);
    rig.CheckPort();
    EXPECT_EQ(f.notes.back(), "CM108 /dev/hidraw3 is back: keying and squelch work again");
    EXPECT_TRUE(rig.IsPortOpen() && rig.IsMonitorRunning());
    rig.Key();
    EXPECT_TRUE(rig.IsKeyed() && f.lines.Keyed());
    EXPECT_TRUE(f.errors.empty());
}

TEST(RigLineKeying, ADeviceThatDoesNotOpenIsReportedAndTriedAgain) {
    CManualClock clock;
    RigOnFakeLines f;
    f.lines.FailOpen("/dev/hidraw3: Permission denied.");
    CRigKeying rig(f.Options(clock));
    rig.OpenRigPort(Method(RigKeyingMethod::Cm108, RigSquelchLine::None));
    EXPECT_EQ(f.errors, std::vector<std::string>{"Cannot Open Keying Device: /dev/hidraw3: "
                                                 "Permission denied."});
    rig.Key();
    EXPECT_FALSE(rig.IsLampOn());
    EXPECT_EQ(f.notes, std::vector<std::string>{"The transmitter cannot be keyed: /dev/hidraw3: "
                                                "Permission denied."});
    f.lines.FailOpen("");
    clock.Advance(2000);
    rig.CheckPort();
    rig.Key();
    EXPECT_TRUE(rig.IsKeyed() && f.lines.Keyed());
}

} // namespace
