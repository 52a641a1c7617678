#include "tests/radio/rig_test_support.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <future>
#include <memory>
#include <tuple>

namespace {

using Bytes = std::vector<uint8_t>;
using std::chrono::milliseconds;
using std::chrono::steady_clock;

RigSettings SquelchOn(RigSquelchLine line, bool invert) {
    RigSettings s;
    s.keyingMethod = RigKeyingMethod::ComPort;
    s.squelchLine = line;
    s.invertSquelch = invert;
    return s;
}

// Waits until the monitor has read the modem status `reads` more times.
void HoldFor(const CFakeSerialDevice& device, int reads) {
    ASSERT_TRUE(device.WaitForStatusReads(device.StatusReads() + reads, 3000));
}

TEST(RigSquelch, CtsOpensAtOnceAndClosesOnlyWhenItStaysForHalfASecond) {
    RigOnFakePort f;
    f.device.SetCts(true); // with plain levels a low line means a signal
    CRigKeying rig(f.Options());
    rig.OpenRigPort(SquelchOn(RigSquelchLine::Cts, false));
    HoldFor(f.device, 2);

    f.device.SetCts(false);
    const int readsAtOpen = f.device.StatusReads();
    ASSERT_TRUE(f.events.WaitForCount(1));
    EXPECT_TRUE(f.events.Events()[0].open);
    EXPECT_LE(f.events.Events()[0].statusReads, readsAtOpen + 1); // no confirmation

    // A blip of four reads (about 200 ms) is dropped.
    f.device.BlipCts(true, 4);
    HoldFor(f.device, 15);
    EXPECT_EQ(f.events.Events().size(), 1u);

    const auto closedAt = steady_clock::now();
    const int readsAtClose = f.device.StatusReads();
    f.device.SetCts(true);
    ASSERT_TRUE(f.events.WaitForCount(2));
    const CSquelchEvents::Event closed = f.events.Events()[1];
    EXPECT_FALSE(closed.open);
    EXPECT_GE(closed.statusReads, readsAtClose + 10);
    EXPECT_GE(closed.at - closedAt, milliseconds(480));
}

TEST(RigSquelch, InvertedCtsAndDsrWatchTheirOwnLevelAndLineAndFailedReadsChangeNothing) {
    RigOnFakePort f;
    CRigKeying rig(f.Options());
    rig.OpenRigPort(SquelchOn(RigSquelchLine::Cts, true));
    HoldFor(f.device, 2);
    f.device.SetCts(true);
    ASSERT_TRUE(f.events.WaitForCount(1));
    f.device.SetCts(false);
    ASSERT_TRUE(f.events.WaitForCount(2));
    EXPECT_TRUE(f.events.Events()[0].open);
    EXPECT_FALSE(f.events.Events()[1].open);

    f.device.SetDsr(true);
    rig.OpenRigPort(SquelchOn(RigSquelchLine::Dsr, false));
    HoldFor(f.device, 2);
    f.device.SetCts(true);
    HoldFor(f.device, 3);
    f.device.FailModemStatus(true);
    f.device.SetDsr(false);
    HoldFor(f.device, 3);
    EXPECT_EQ(f.events.Events().size(), 2u);
    f.device.FailModemStatus(false);
    ASSERT_TRUE(f.events.WaitForCount(3));
    EXPECT_TRUE(f.events.Events()[2].open);

    // Without a squelch input nothing is watched.
    rig.OpenRigPort(SquelchOn(RigSquelchLine::None, false));
    EXPECT_TRUE(rig.IsPortOpen());
    EXPECT_FALSE(rig.IsMonitorRunning());
    EXPECT_FALSE(f.device.WaitForStatusReads(f.device.StatusReads() + 1, 200));
}

// A squelch callback that is still running when the port is closed: it lingers until the test
// lets it go (or a while has passed), then writes to `window`, which stands for the window
// object that the real callback holds and which the test frees once the close has returned.
struct LingeringCallback {
    void operator()(bool open) {
        entered.set_value();
        letGo.wait_for(milliseconds(300));
        window->push_back(open);
        ++finished;
    }
    std::promise<void>& entered;
    std::shared_future<void> letGo;
    std::vector<bool>* window;
    std::atomic<int>& finished;
};

TEST(RigSquelch, ClosingWaitsForTheSquelchCallbackInProgress) {
    for (const bool destroy : {false, true}) {
        SCOPED_TRACE(destroy ? "destructor" : "CloseRigPort");
        RigOnFakePort f;
        auto window = std::make_unique<std::vector<bool>>();
        std::promise<void> entered, closed;
        std::atomic<int> finished{0};
        RigKeyingOptions options = f.Options();
        options.onSquelch =
            LingeringCallback{entered, closed.get_future().share(), window.get(), finished};
        f.device.SetCts(true);
        auto rig = std::make_unique<CRigKeying>(options);
        rig->OpenRigPort(SquelchOn(RigSquelchLine::Cts, false));
        HoldFor(f.device, 2);
        f.device.SetCts(false);
        ASSERT_EQ(entered.get_future().wait_for(std::chrono::seconds(3)),
                  std::future_status::ready);

        if (destroy) {
            rig.reset();
        } else {
            rig->CloseRigPort();
            EXPECT_FALSE(rig->IsMonitorRunning());
        }
        EXPECT_EQ(finished.load(), 1);
        EXPECT_FALSE(f.device.IsOpen());
        closed.set_value();
        EXPECT_EQ(*window, std::vector<bool>{true});
        window.reset();
    }
}

// A Halvek board on a fake port. It answers 0 to everything but the control byte, which it
// answers with its status. After a power glitch it asks to be initialised (bit 0x10) until
// 0x66 comes; the status of the first poll after an initialisation may be scripted.
struct HalvekRig {
    explicit HalvekRig(RigSettings settings = {}, IClock& clock = SystemClock())
        : s(settings), f(clock) {
        s.keyingMethod = RigKeyingMethod::Halvek;
        s.halvekPort = 3;
        control = HalvekControlByte(s);
        f.device.SetResponder([this](uint8_t byte) -> std::optional<uint8_t> {
            if (byte == kHalvekInit) {
                needsInit = false;
                justInitialised = true;
            }
            if (byte != control)
                return uint8_t(0);
            if (needsInit)
                return uint8_t(0x1F);
            if (justInitialised.exchange(false) && answerAfterInit >= 0)
                return uint8_t(answerAfterInit.exchange(-1));
            return status.load();
        });
        rig = std::make_unique<CRigKeying>(f.Options(clock, 10));
        rig->SetSquelchSettlingMs(0);
    }
    size_t Count(uint8_t byte) const {
        const Bytes bytes = f.device.WrittenBytes();
        return size_t(std::count(bytes.begin(), bytes.end(), byte));
    }
    bool WaitForCount(uint8_t byte, size_t count, int timeoutMs = 3000) const {
        return f.device.WaitUntil([&] { return Count(byte) >= count; }, timeoutMs);
    }
    bool WaitForPolls(size_t polls) const { return WaitForCount(control, Count(control) + polls); }

    RigSettings s;
    RigOnFakePort f;
    uint8_t control = 0;
    std::atomic<uint8_t> status{0x0F}; // level 0
    std::atomic<bool> needsInit{false};
    std::atomic<bool> justInitialised{false};
    std::atomic<int> answerAfterInit{-1};
    std::unique_ptr<CRigKeying> rig;
};

TEST(RigHalvek, InitialisesWithTheControlByteOfTheSettingsAndEndsWithA0) {
    const std::tuple<bool, bool, int> cases[] = {
        {true, true, 0xAA}, {false, true, 0xAB}, {true, false, 0xA8}};
    for (const auto& [digital, activeHigh, control] : cases) {
        RigSettings s;
        s.halvekDigitalSquelch = digital;
        s.halvekDigitalSquelchActiveHigh = activeHigh;
        HalvekRig h(s);
        EXPECT_EQ(h.control, control);
        h.rig->OpenRigPort(h.s);
        EXPECT_EQ(h.f.device.OpenedBaud(), 300);
        EXPECT_EQ(h.f.device.OpenedPath(), "/dev/serial/by-id/usb-FTDI_FT232R-if00-port0");
        ASSERT_TRUE(h.f.device.WaitForWrites(2, 3000));
        h.rig->CloseRigPort(); // in the half-second pause after the initialisation
        const Bytes bytes = h.f.device.WrittenBytes();
        EXPECT_EQ(Bytes(bytes.begin(), bytes.begin() + 2), (Bytes{kHalvekInit, h.control}));
        EXPECT_EQ(bytes.back(), kHalvekEnd);
        EXPECT_FALSE(h.f.device.IsOpen());
    }
}

TEST(RigHalvek, StatusLevelAboveTheSquelchLevelOpensTheSquelch) {
    HalvekRig h;
    h.status = 0x09; // level 6: not above 6
    h.rig->OpenRigPort(h.s);
    ASSERT_TRUE(h.WaitForPolls(4));
    EXPECT_TRUE(h.f.events.Events().empty());
    h.status = 0x08; // level 7
    ASSERT_TRUE(h.f.events.WaitForCount(1));
    ASSERT_TRUE(h.WaitForPolls(4));
    h.status = 0x09;
    ASSERT_TRUE(h.f.events.WaitForCount(2));

    // The window's slider moves the squelch level while the monitor runs.
    h.rig->SetHalvekSquelchLevel(8);
    h.status = 0x07; // level 8
    ASSERT_TRUE(h.WaitForPolls(4));
    h.status = 0x06; // level 9
    ASSERT_TRUE(h.f.events.WaitForCount(3));
    const auto events = h.f.events.Events();
    ASSERT_EQ(events.size(), 3u);
    EXPECT_TRUE(events[0].open);
    EXPECT_FALSE(events[1].open);
    EXPECT_TRUE(events[2].open);
}

TEST(RigHalvek, BoardThatAsksIsInitialisedAgainAndItsNewAnswerCounts) {
    HalvekRig h;
    h.rig->OpenRigPort(h.s);
    ASSERT_TRUE(h.WaitForPolls(2));
    // The board answers 0x1F (level 0 and the init bit), then 0x08 (level 7) to the control
    // byte of the initialisation, then 0x0F (level 0) again.
    h.answerAfterInit = 0x08;
    h.needsInit = true;
    ASSERT_TRUE(h.f.events.WaitForCount(2));
    EXPECT_TRUE(h.f.events.Events()[0].open);
    EXPECT_FALSE(h.f.events.Events()[1].open);
    const Bytes bytes = h.f.device.WrittenBytes();
    const Bytes reinit{h.control, kHalvekInit, h.control};
    EXPECT_NE(std::search(bytes.begin(), bytes.end(), reinit.begin(), reinit.end()), bytes.end());
}

TEST(RigHalvek, KeyingSendsPttEveryFiveSecondsAndPollingResumesAfterTheSettlingTime) {
    CManualClock clock;
    HalvekRig h({}, clock);
    h.rig->SetSquelchSettlingMs(200);
    h.status = 0x08; // a signal is heard before the transmission
    h.rig->OpenRigPort(h.s);
    ASSERT_TRUE(h.f.events.WaitForCount(1));

    // A 12 s transmission.
    h.rig->Key();
    ASSERT_TRUE(h.WaitForCount(kHalvekPtt, 1));
    const size_t firstPtt = h.f.device.Writes().size() - 1;
    clock.Advance(5000);
    EXPECT_FALSE(h.WaitForCount(kHalvekPtt, 2, 150));
    clock.Advance(1);
    ASSERT_TRUE(h.WaitForCount(kHalvekPtt, 2));
    clock.Advance(5001);
    ASSERT_TRUE(h.WaitForCount(kHalvekPtt, 3));
    clock.Advance(1998);
    EXPECT_FALSE(h.WaitForCount(kHalvekPtt, 4, 150));
    const auto writes = h.f.device.Writes();
    ASSERT_EQ(writes.size(), firstPtt + 3); // nothing but PTT while keyed
    EXPECT_EQ(writes[firstPtt].ticks, 0u);
    EXPECT_EQ(writes[firstPtt + 1].ticks, 5001u);
    EXPECT_EQ(writes[firstPtt + 2].ticks, 10002u);

    const auto unkeyedAt = steady_clock::now();
    h.rig->Unkey();
    ASSERT_TRUE(h.WaitForPolls(1));
    EXPECT_GE(steady_clock::now() - unkeyedAt, milliseconds(190));
    // The open squelch was forgotten while transmitting and is reported anew.
    ASSERT_TRUE(h.f.events.WaitForCount(2));
    EXPECT_TRUE(h.f.events.Events()[1].open);

    h.rig->Key();
    ASSERT_TRUE(h.WaitForCount(kHalvekPtt, 4));
    h.rig.reset();
    EXPECT_EQ(h.f.device.WrittenBytes().back(), kHalvekEnd);
    EXPECT_FALSE(h.f.device.IsOpen());
}

} // namespace
