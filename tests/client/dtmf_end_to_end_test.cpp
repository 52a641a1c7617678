// A gateway with no window and WAV files for a sound card, over the stand-in
// server: the DTMF keys on its receiver connect it to one preset's room, then
// move it to the other's, and the message after each command goes out over
// its transmitter.

#include "audio/mixin_sound.h"
#include "audio/sound_packet.h"
#include "audio/wav_file.h"
#include "audio/wav_file_devices.h"
#include "server/stand_in_server.h"
#include "tests/client/client_harness.h"
#include "tests/client/event_loop.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <filesystem>

namespace {

constexpr int kRate = 8000;

// 150 ms of each key's tone pair, then 100 ms of silence.
void AddKeys(std::vector<int16_t>& out, const std::string& keys) {
    static const std::string kKeys = "123A456B789C*0#D";
    static const double kLow[4] = {697, 770, 852, 941}, kHigh[4] = {1209, 1336, 1477, 1633};
    for (char key : keys) {
        const size_t k = kKeys.find(key);
        for (int i = 0; i < kRate * 150 / 1000; ++i)
            out.push_back(
                int16_t(std::lround(6000 * std::sin(2 * M_PI * kLow[k / 4] * i / kRate) +
                                    6000 * std::sin(2 * M_PI * kHigh[k % 4] * i / kRate))));
        out.insert(out.end(), kRate / 10, 0);
    }
}

void AddSilence(std::vector<int16_t>& out, int ms) {
    out.insert(out.end(), size_t(kRate * ms / 1000), 0);
}

// Runs of packets with sound in them.
int SoundBursts(const std::vector<int16_t>& samples) {
    int bursts = 0;
    bool inBurst = false;
    for (size_t at = 0; at + kPacketSamples <= samples.size(); at += kPacketSamples) {
        const bool sound = std::any_of(samples.begin() + ptrdiff_t(at),
                                       samples.begin() + ptrdiff_t(at + kPacketSamples),
                                       [](int16_t s) { return s != 0; });
        if (sound && !inBurst)
            ++bursts;
        inBurst = sound;
    }
    return bursts;
}

TEST(DtmfEndToEnd, KeysOnTheReceiverMoveTheGatewayBetweenPresetRooms) {
    CServerOptions serverOptions;
    serverOptions.listen = "127.0.0.1:0";
    serverOptions.pingInterval = std::chrono::milliseconds(0);
    CStandInServer server(serverOptions);
    std::string error;
    ASSERT_TRUE(server.Start(error)) << error;

    std::string dir = (std::filesystem::temp_directory_path() / "tavro-dtmf-XXXXXX").string();
    ASSERT_NE(mkdtemp(dir.data()), nullptr);
    const std::string in = dir + "/receiver.wav", out = dir + "/transmitter.wav";
    // The connect code, then after more than 3 s the star key and 1. The
    // file stands still while the transmitter plays the first message.
    std::vector<int16_t> receiver;
    AddSilence(receiver, 400);
    AddKeys(receiver, "#12");
    AddSilence(receiver, 4000);
    AddKeys(receiver, "*1");
    AddSilence(receiver, 400);
    ASSERT_TRUE(WriteWaveFile(in, receiver));

    const std::string port = std::to_string(server.Port());
    ClientSetup setup;
    setup.port = server.Port();
    setup.extraIni = "nPreset=2\nP0Name=A\nP0Server=127.0.0.1\nP0Port=" + port +
                     "\nP0Room=ROOMA\nP1Name=B\nP1Server=127.0.0.1\nP1Port=" + port +
                     "\nP1Room=ROOMB\nConnectDTMF=12\nDisconnectDTMF=99\n"
                     "HelpWmf=E\nHelpMorse=1\nDiscWmf=TT\nDiscMorse=1\n";
    auto gateway = std::make_unique<ClientHarness>(setup);
    gateway->Options().waveIn = std::make_unique<CWavFileWaveIn>();
    gateway->Options().waveOut = std::make_unique<CWavFileWaveOut>();
    gateway->Options().captureDeviceName = in;
    gateway->Options().playbackDeviceName = out;
    gateway->Start();

    const CEventRecorder& events = gateway->events;
    ASSERT_TRUE(RunUntil(
        [&] { return events.NotesStartingWith("Announcement (preset room 1 message)") == 1; },
        20000));
    // The second message played out, and the transmitter released.
    ASSERT_TRUE(
        RunUntil([&] { return events.keyings.size() == 4 && !events.keyings.back(); }, 5000));
    std::vector<std::string> rooms;
    for (const CEventRecorder::Join& join : events.joins)
        rooms.push_back(join.room);
    EXPECT_EQ(rooms, (std::vector<std::string>{"ROOMA", "ROOMB"}));
    EXPECT_EQ(events.NotesStartingWith("Announcement (connect message): Morse \"E\""), 1u);
    EXPECT_EQ(events.NotesStartingWith("DTMF key "), 5u);
    gateway.reset();

    CMixInSound transmitted;
    ASSERT_TRUE(transmitted.LoadWave(out));
    EXPECT_EQ(SoundBursts(transmitted.samples), 2);
    std::error_code ignored;
    std::filesystem::remove_all(dir, ignored);
}

} // namespace
