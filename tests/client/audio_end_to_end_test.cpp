// Two gateways in a room of the stand-in server, with WAV files for sound
// cards: what one hears on its receiver the other plays into its transmitter,
// keyed for the over and released after it; DTMF tones stay off the air.

#include "audio/dtmf_decoder.h"
#include "audio/mixin_sound.h"
#include "audio/sound_packet.h"
#include "audio/wav_file.h"
#include "audio/wav_file_devices.h"
#include "platform/clock.h"
#include "server/stand_in_server.h"
#include "tests/client/client_harness.h"
#include "tests/client/event_loop.h"
#include "tests/support/fake_serial_port.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <mutex>

namespace {

constexpr int kRate = 8000;
// The speech: harmonics of 150 Hz, their level swinging at a syllable rate.
constexpr double kPitchHz = 150;
constexpr int kHarmonics = 4;
constexpr int kSpeechPackets = 8;
// Before the speech, time for the talker to connect and join.
constexpr int kLeadPackets = 5;
constexpr char kDialled[] = "15#";
// From the over's last packet leaving the playback queue to the release: it
// plays out through the three buffers with the device (600 ms); after three
// buffers of silence (600 ms) the next heartbeat (250 ms) has playback drain
// its last two buffers (400 ms) and close, which releases. Some more for a
// loaded machine.
constexpr int kReleaseAfterLastPacketMs = 2500;

// Sine tones at 8000 Hz added into out[from, from + count).
void AddTone(std::vector<int16_t>& out, size_t from, size_t count, double hz, double amplitude) {
    for (size_t i = 0; i < count; ++i)
        out[from + i] = int16_t(
            std::lround(out[from + i] + amplitude * std::sin(2 * M_PI * hz * double(i) / kRate)));
}

// The talker's receiver: silence, speech, one packet per DTMF key (its tones
// for 150 ms in the middle), then silence. Packets of 200 ms start with the
// file, so each key's tones lie within one packet.
std::vector<int16_t> TalkerAudio() {
    const size_t packet = kPacketSamples;
    std::vector<int16_t> out(packet * (kLeadPackets + kSpeechPackets + 3 + 2), 0);
    const size_t speechStart = packet * kLeadPackets;
    for (size_t i = 0; i < packet * kSpeechPackets; ++i) {
        const double t = double(i) / kRate;
        const double envelope = 0.6 + 0.4 * std::sin(2 * M_PI * 4 * t);
        double v = 0;
        for (int h = 1; h <= kHarmonics; ++h)
            v += 4000.0 / h * std::sin(2 * M_PI * kPitchHz * h * t);
        out[speechStart + i] = int16_t(std::lround(envelope * v));
    }
    static const double kLow[4] = {697, 770, 852, 941}, kHigh[4] = {1209, 1336, 1477, 1633};
    static const char kKeys[] = "123A456B789C*0#D";
    size_t at = speechStart + packet * kSpeechPackets;
    for (const char* key = kDialled; *key; ++key, at += packet) {
        const int index = int(std::strchr(kKeys, *key) - kKeys);
        const size_t toneStart = at + packet / 8, toneSamples = kRate * 150 / 1000;
        AddTone(out, toneStart, toneSamples, kLow[index / 4], 6000);
        AddTone(out, toneStart, toneSamples, kHigh[index % 4], 6000);
    }
    return out;
}

// The keys a fresh decoder recognises in the samples, and whether any of its
// blocks showed a key at all.
std::string DtmfKeys(const std::vector<int16_t>& samples, bool& keyBlocks) {
    CDtmfDecoder decoder;
    std::string keys;
    decoder.SetKeySink([&keys](char key) { keys += key; });
    int gain[kDtmfTones], level[kDtmfTones] = {};
    std::fill_n(gain, kDtmfTones, 3000);
    keyBlocks = decoder.Process(samples, gain, level);
    return keys;
}

double PowerAt(const int16_t* s, size_t count, double hz) {
    const double coefficient = 2 * std::cos(2 * M_PI * hz / kRate);
    double q1 = 0, q2 = 0;
    for (size_t i = 0; i < count; ++i) {
        const double q0 = coefficient * q1 - q2 + s[i];
        q2 = q1;
        q1 = q0;
    }
    return q1 * q1 + q2 * q2 - coefficient * q1 * q2;
}

double Rms(const int16_t* s, size_t count) {
    double sum = 0;
    for (size_t i = 0; i < count; ++i)
        sum += double(s[i]) * s[i];
    return std::sqrt(sum / double(count));
}

// A playback device that notes when each buffer comes back played, and
// whether it carried sound.
class CTimedWaveOut final : public IWaveOut, private IWaveOutSink {
public:
    struct Played {
        uint32_t ticks;
        bool audible;
    };

    explicit CTimedWaveOut(std::unique_ptr<IWaveOut> device) : device_(std::move(device)) {}

    WaveStatus Open(const WaveDeviceId& id, int rate, IWaveOutSink& sink) override {
        sink_ = &sink;
        return device_->Open(id, rate, *this);
    }
    bool Write(WaveBuffer&& buffer) override { return device_->Write(std::move(buffer)); }
    bool Start() override { return device_->Start(); }
    void Reset() override { device_->Reset(); }
    void Close() override { device_->Close(); }

    std::vector<Played> PlayedBuffers() const {
        std::lock_guard lock(mutex_);
        return played_;
    }

private:
    void OnWaveOutDone(WaveBuffer buffer) override {
        const auto end = buffer.samples.begin() + ptrdiff_t(buffer.filled);
        const bool audible =
            std::any_of(buffer.samples.begin(), end, [](int16_t s) { return s != 0; });
        {
            std::lock_guard lock(mutex_);
            played_.push_back({SystemClock().Ticks(), audible});
        }
        sink_->OnWaveOutDone(std::move(buffer));
    }
    void OnWaveOutClose() override { sink_->OnWaveOutClose(); }
    void OnWaveOutFailed(const std::string& reason) override { sink_->OnWaveOutFailed(reason); }

    std::unique_ptr<IWaveOut> device_;
    IWaveOutSink* sink_ = nullptr;
    mutable std::mutex mutex_;
    std::vector<Played> played_;
};

// Whether the keying line was asserted at `ticks`, from its changes.
bool RtsAt(const std::vector<CFakeSerialDevice::LineChange>& changes, uint32_t ticks) {
    bool asserted = false;
    for (const CFakeSerialDevice::LineChange& change : changes)
        if (change.line == 'R' && int32_t(change.ticks - ticks) <= 0)
            asserted = change.asserted;
    return asserted;
}

class AudioEndToEndTest : public ::testing::Test {
protected:
    void SetUp() override {
        std::string pattern =
            (std::filesystem::temp_directory_path() / "tavro-e2e-XXXXXX").string();
        ASSERT_NE(mkdtemp(pattern.data()), nullptr);
        dir_ = pattern;
        CServerOptions options;
        options.listen = "127.0.0.1:0";
        options.pingInterval = std::chrono::milliseconds(0);
        server_ = std::make_unique<CStandInServer>(options);
        std::string error;
        ASSERT_TRUE(server_->Start(error)) << error;
    }

    void TearDown() override {
        std::error_code ignored;
        std::filesystem::remove_all(dir_, ignored);
    }

    // A gateway whose receiver plays `capture` and whose transmitter records
    // into the playback device given.
    std::unique_ptr<ClientHarness> MakeGateway(const std::string& callsign,
                                               const std::string& capture,
                                               std::unique_ptr<IWaveOut> playback,
                                               const std::string& playbackFile,
                                               const std::string& extraIni = "") {
        ClientSetup setup;
        setup.port = server_->Port();
        setup.callsign = callsign;
        setup.extraIni = extraIni;
        auto gateway = std::make_unique<ClientHarness>(setup);
        CClient_TavroDlg::Options& options = gateway->Options();
        options.waveIn = std::make_unique<CWavFileWaveIn>();
        options.waveOut = std::move(playback);
        options.captureDeviceName = capture;
        options.playbackDeviceName = playbackFile;
        return gateway;
    }

    std::string Path(const std::string& name) const { return dir_ + "/" + name; }

    std::string dir_;
    std::unique_ptr<CStandInServer> server_;
};

TEST_F(AudioEndToEndTest, SpeechReachesTheOtherTransmitterAndDtmfStaysOff) {
    const std::vector<int16_t> talker = TalkerAudio();
    bool keyBlocks = false;
    ASSERT_EQ(DtmfKeys(talker, keyBlocks), kDialled); // the tones are recognisable
    ASSERT_TRUE(WriteWaveFile(Path("talker.wav"), talker));
    ASSERT_TRUE(WriteWaveFile(Path("quiet.wav"), std::vector<int16_t>(kPacketSamples, 0)));

    // The listener: its transmitter is keyed by RTS and records into out.wav.
    CFakeSerialDevice rig;
    auto timed = std::make_unique<CTimedWaveOut>(std::make_unique<CWavFileWaveOut>());
    CTimedWaveOut& listenerPlayback = *timed;
    auto listener =
        MakeGateway("M0BBB", Path("quiet.wav"), std::move(timed), Path("out.wav"), kRtsKeyingIni);
    listener->Options().serialPortFactory = rig.Factory();
    listener->Start();
    ASSERT_TRUE(listener->Connect());
    ASSERT_TRUE(RunUntil([&] { return listener->ListLines().size() == 1; }));

    // The talker's receiver file starts playing as its window opens.
    auto talkerGateway = MakeGateway("G4AAA", Path("talker.wav"),
                                     std::make_unique<CWavFileWaveOut>(), Path("talker-tx.wav"));
    talkerGateway->Start();
    ASSERT_TRUE(talkerGateway->Connect());
    ASSERT_TRUE(RunUntil([&] { return listener->ListLines().size() == 2; }));

    // The over: the talker takes the floor with its speech and keeps it while
    // it sends silence (its DTMF packets among them); the server frees the
    // floor after 15 silences in a row. The listener plays the last of them,
    // then releases its transmitter.
    uint32_t floorFreed = 0, lastPacketTaken = 0;
    const auto talkers = [&] { return listener->events.talkers; };
    ASSERT_TRUE(RunUntil(
        [&] {
            const uint32_t now = SystemClock().Ticks();
            if (!floorFreed && talkers().size() >= 2 && talkers().back().empty())
                floorFreed = now;
            if (floorFreed && !lastPacketTaken && listener->Client().PlaybackQueue().IsEmpty())
                lastPacketTaken = now;
            return lastPacketTaken && !rig.Rts() && int32_t(now - lastPacketTaken) >= kQuietMs;
        },
        15000));
    EXPECT_EQ(talkers(), (std::vector<std::string>{"G4AAA", ""}));

    const std::vector<CTimedWaveOut::Played> played = listenerPlayback.PlayedBuffers();
    const std::vector<CFakeSerialDevice::LineChange> lines = rig.LineChanges();
    talkerGateway.reset();
    listener.reset();

    // Keyed whenever sound came out of the transmitter's audio.
    uint32_t lastAudible = 0;
    int audibleBuffers = 0;
    for (const CTimedWaveOut::Played& buffer : played) {
        if (!buffer.audible)
            continue;
        ++audibleBuffers;
        lastAudible = buffer.ticks;
        EXPECT_TRUE(RtsAt(lines, buffer.ticks)) << "unkeyed while playing, at " << buffer.ticks;
    }
    ASSERT_GE(audibleBuffers, kSpeechPackets - 3);
    // Released once the over's last packet had played.
    ASSERT_FALSE(lines.empty());
    const CFakeSerialDevice::LineChange& release = lines.back();
    EXPECT_EQ(release.line, 'R');
    EXPECT_FALSE(release.asserted);
    EXPECT_GT(int32_t(release.ticks - lastAudible), 0);
    EXPECT_LT(int32_t(release.ticks - lastPacketTaken), kReleaseAfterLastPacketMs)
        << "released " << int32_t(release.ticks - lastAudible) << " ms after the last sound";

    // What the transmitter got: the speech, nothing else.
    CMixInSound out;
    ASSERT_TRUE(out.LoadWave(Path("out.wav")));
    std::vector<int16_t> speech;
    int soundPackets = 0;
    for (size_t at = 0; at + kPacketSamples <= out.samples.size(); at += kPacketSamples) {
        const int16_t* packet = out.samples.data() + at;
        if (std::all_of(packet, packet + kPacketSamples, [](int16_t s) { return s == 0; }))
            continue;
        ++soundPackets;
        EXPECT_GT(Rms(packet, kPacketSamples), 1000) << "a quiet packet at " << at;
        speech.insert(speech.end(), packet, packet + kPacketSamples);
    }
    EXPECT_GE(soundPackets, kSpeechPackets - 3);
    EXPECT_LE(soundPackets, kSpeechPackets);
    // Its strongest component is one of the voice's harmonics, and most of its
    // power lies below 700 Hz.
    double strongest = 0, strongestHz = 0, voice = 0, total = 0;
    for (double hz = 50; hz < kRate / 2; hz += 25) {
        const double power = PowerAt(speech.data(), speech.size(), hz);
        total += power;
        if (hz > 100 && hz < 700)
            voice += power;
        if (power > strongest) {
            strongest = power;
            strongestHz = hz;
        }
    }
    const double harmonic = std::round(strongestHz / kPitchHz);
    EXPECT_TRUE(harmonic >= 1 && harmonic <= kHarmonics && strongestHz == harmonic * kPitchHz)
        << strongestHz;
    EXPECT_GT(voice / total, 0.8);
    // The talker's capture kept the DTMF tones off the air.
    EXPECT_EQ(DtmfKeys(out.samples, keyBlocks), "");
    EXPECT_FALSE(keyBlocks);
}

} // namespace
