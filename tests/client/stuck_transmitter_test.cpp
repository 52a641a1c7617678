// The transmitter is never left keyed: a gateway keyed by room audio releases
// its keying line when the program closes, the connection is lost, the rig
// port is closed or the sound card fails.

#include "audio/sound_message_conversion.h"
#include "audio/sound_out.h"
#include "audio/sound_packet.h"
#include "tests/client/client_harness.h"
#include "tests/client/event_loop.h"
#include "tests/support/fake_serial_port.h"
#include "tests/support/manual_wave.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <cmath>
#include <thread>

namespace {

// A failed device stops handing buffers back; the gateway must notice well
// within this time.
constexpr int kStalledDeviceReleaseMs = 4000;

// Message boxes belong to the UI thread: this prompt counts those shown from
// any other thread instead of recording them.
class UiThreadPrompt : public FakeUserPrompt {
public:
    void ShowMessage(const std::string& text, const std::string& caption, Icon icon) override {
        if (std::this_thread::get_id() != uiThread_) {
            ++offUiThread;
            return;
        }
        FakeUserPrompt::ShowMessage(text, caption, icon);
    }

    std::atomic<int> offUiThread{0};

private:
    const std::thread::id uiThread_ = std::this_thread::get_id();
};

// 200 ms of a 440 Hz tone as the server relays a talker's audio.
std::unique_ptr<CSoundMessage> RoomAudio() {
    std::vector<int16_t> tone(kPacketSamples);
    for (int i = 0; i < kPacketSamples; ++i)
        tone[size_t(i)] = int16_t(std::lround(8000 * std::sin(2 * M_PI * 440 * i / 8000.0)));
    CSoundPacket packet(tone.data(), kPacketSamples);
    packet.EncodeAmr();
    return MakeSoundMessage(packet);
}

// One gateway with manual sound devices and RTS keying on a fake serial
// device, connected to a scripted server and joined.
class Gateway {
public:
    explicit Gateway(bool playbackOpens = true) {
        ClientSetup setup;
        setup.port = peer.Port();
        setup.extraIni = kRtsKeyingIni;
        harness = std::make_unique<ClientHarness>(setup);
        auto in = std::make_unique<CManualWaveIn>();
        auto out = std::make_unique<CManualWaveOut>();
        waveIn = in.get();
        waveOut = out.get();
        if (!playbackOpens)
            out->FailOpen(WaveError::NoDevice);
        CClient_TavroDlg::Options& options = harness->Options();
        options.waveIn = std::move(in);
        options.waveOut = std::move(out);
        options.serialPortFactory = serial.Factory();
        options.prompt = &prompt;
        harness->Start();
        ok = serial.IsOpen() && !serial.Rts() && harness->Connect() &&
             AcceptAndJoin(peer, 113) != nullptr;
        restLineChanges = serial.LineChanges().size();
    }

    CClient_TavroDlg& Client() { return harness->Client(); }

    // The server relays `count` packets of a talker's audio.
    void SendRoomAudio(int count) {
        for (int i = 0; i < count; ++i)
            ASSERT_TRUE(peer.Send(*RoomAudio()));
    }

    // The receiver's audio: every buffer the capture device holds comes back
    // filled with silence.
    void Capture() {
        const std::vector<int16_t> silence(kPacketSamples, 0);
        while (waveIn->Fill(silence)) {
        }
    }

    // Room audio arrives: the sound card goes from capture to playback, which
    // keys the transmitter, and the first packet is played.
    bool KeyWithRoomAudio() {
        SendRoomAudio(5);
        if (!RunUntil([&] {
                Capture();
                return serial.Rts();
            }))
            return false;
        return RunUntil([&] {
            if (!PlayedAudio())
                waveOut->Play();
            return PlayedAudio();
        });
    }

    // The playback device was given a buffer with sound in it.
    bool PlayedAudio() const {
        return std::any_of(waveOut->Written().begin(), waveOut->Written().end(),
                           [](const std::vector<int16_t>& buffer) {
                               return std::any_of(buffer.begin(), buffer.end(),
                                                  [](int16_t s) { return s != 0; });
                           });
    }

    // Times the keying line was asserted since the port was opened and set
    // to rest.
    int RtsAssertions(size_t since) const {
        const std::vector<CFakeSerialDevice::LineChange> changes = serial.LineChanges();
        return int(std::count_if(changes.begin() + ptrdiff_t(since), changes.end(),
                                 [](const CFakeSerialDevice::LineChange& change) {
                                     return change.line == 'R' && change.asserted;
                                 }));
    }

    CScriptedPeer peer;
    CFakeSerialDevice serial;
    UiThreadPrompt prompt;
    std::unique_ptr<ClientHarness> harness;
    CManualWaveIn* waveIn = nullptr;
    CManualWaveOut* waveOut = nullptr;
    size_t restLineChanges = 0;
    bool ok = false;
};

TEST(StuckTransmitter, TheKeyingLineIsReleasedWhateverEndsTheOver) {
    {
        SCOPED_TRACE("the program closes");
        Gateway g;
        ASSERT_TRUE(g.ok);
        ASSERT_TRUE(g.KeyWithRoomAudio());
        EXPECT_EQ(g.RtsAssertions(g.restLineChanges), 1);
        const size_t keyed = g.serial.LineChanges().size();
        g.Client().OnClose();
        EXPECT_FALSE(g.serial.Rts());
        // The window ends once the sound card has played out and closed.
        ASSERT_TRUE(RunUntil([&] {
            g.waveOut->Play();
            return g.Client().IsEnded();
        }));
        EXPECT_FALSE(g.serial.Rts());
        g.harness.reset();
        EXPECT_FALSE(g.serial.IsOpen());
        EXPECT_FALSE(g.serial.Rts());
        EXPECT_EQ(g.RtsAssertions(keyed), 0);
        EXPECT_EQ(g.prompt.offUiThread, 0);
    }
    {
        SCOPED_TRACE("the connection is lost");
        Gateway g;
        ASSERT_TRUE(g.ok);
        ASSERT_TRUE(g.KeyWithRoomAudio());
        const size_t keyed = g.serial.LineChanges().size();
        g.peer.Hangup();
        ASSERT_TRUE(g.harness->WaitForIdle());
        EXPECT_FALSE(g.serial.Rts());
        EXPECT_EQ(g.harness->events.disconnections, std::vector<bool>{false});
        // What was received plays out, then the sound card returns to capture;
        // the line stays released all the while.
        ASSERT_TRUE(RunUntil([&] {
            g.waveOut->Play();
            return g.waveIn->IsStarted();
        }));
        EXPECT_FALSE(g.serial.Rts());
        EXPECT_EQ(g.RtsAssertions(keyed), 0);
        EXPECT_EQ(g.prompt.offUiThread, 0);
    }
    {
        SCOPED_TRACE("the rig port is closed");
        Gateway g;
        ASSERT_TRUE(g.ok);
        ASSERT_TRUE(g.KeyWithRoomAudio());
        g.Client().RigKeying().CloseRigPort();
        EXPECT_FALSE(g.serial.Rts());
        EXPECT_FALSE(g.serial.IsOpen());
        const size_t closed = g.serial.LineChanges().size();
        // The over plays out and the sound card returns to capture; the next
        // over keys the transmitter again, which a closed port does not follow.
        ASSERT_TRUE(RunUntil([&] {
            g.waveOut->Play();
            return g.waveIn->IsStarted();
        }));
        g.SendRoomAudio(1);
        ASSERT_TRUE(RunUntil([&] {
            g.Capture();
            return g.Client().RigKeying().IsLampOn();
        }));
        EXPECT_FALSE(g.serial.Rts());
        EXPECT_EQ(g.serial.LineChanges().size(), closed);
        EXPECT_EQ(g.prompt.offUiThread, 0);
    }
    {
        SCOPED_TRACE("the playback device does not open");
        Gateway g(/*playbackOpens=*/false);
        ASSERT_TRUE(g.ok);
        // Room audio that comes after a failed start tries the sound card
        // again, and each time it says why it cannot play; the transmitter is
        // never keyed for it.
        for (size_t attempts = 1; attempts <= 3; ++attempts) {
            g.SendRoomAudio(1);
            ASSERT_TRUE(RunUntil([&] {
                g.Capture();
                return g.prompt.messages.size() + size_t(g.prompt.offUiThread) >= attempts;
            }));
        }
        EXPECT_EQ(g.prompt.offUiThread, 0);
        for (const FakeUserPrompt::Message& message : g.prompt.messages)
            EXPECT_EQ(message.text.rfind(kNoSoundOutputDevice, 0), 0u) << message.text;
        EXPECT_FALSE(g.serial.Rts());
        EXPECT_EQ(g.RtsAssertions(g.restLineChanges), 0);
        EXPECT_FALSE(g.Client().RigKeying().IsLampOn());
    }
    {
        SCOPED_TRACE("the playback device stops handing buffers back");
        Gateway g;
        ASSERT_TRUE(g.ok);
        ASSERT_TRUE(g.KeyWithRoomAudio());
        // From here on the device keeps the buffers it holds, as a failed
        // sound card does.
        ASSERT_TRUE(RunUntil([&] { return !g.serial.Rts(); }, kStalledDeviceReleaseMs));
        // The sound card returns to capture, and nothing is left keyed.
        ASSERT_TRUE(RunUntil([&] { return g.waveIn->IsStarted(); }));
        EXPECT_FALSE(g.waveOut->IsOpen());
        EXPECT_FALSE(g.Client().RigKeying().IsLampOn());
        EXPECT_TRUE(g.prompt.messages.empty());
        EXPECT_EQ(g.prompt.offUiThread, 0);
    }
}

} // namespace
