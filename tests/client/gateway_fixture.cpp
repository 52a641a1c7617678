#include "tests/client/gateway_fixture.h"

#include "audio/sound_message_conversion.h"
#include "audio/sound_packet.h"
#include "tests/client/event_loop.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>

void UiThreadPrompt::ShowMessage(const std::string& text, const std::string& caption, Icon icon) {
    if (std::this_thread::get_id() != uiThread_) {
        ++offUiThread;
        return;
    }
    FakeUserPrompt::ShowMessage(text, caption, icon);
}

std::unique_ptr<CSoundMessage> RoomAudio() {
    std::vector<int16_t> tone(kPacketSamples);
    for (int i = 0; i < kPacketSamples; ++i)
        tone[size_t(i)] = int16_t(std::lround(8000 * std::sin(2 * M_PI * 440 * i / 8000.0)));
    CSoundPacket packet(tone.data(), kPacketSamples);
    packet.EncodeAmr();
    return MakeSoundMessage(packet);
}

Gateway::Gateway() : Gateway(Setup{}) {}

Gateway::Gateway(const Setup& setup) {
    ClientSetup client;
    client.port = peer.Port();
    client.extraIni = setup.rigIni;
    harness = std::make_unique<ClientHarness>(client);
    auto in = std::make_unique<CManualWaveIn>();
    auto out = std::make_unique<CManualWaveOut>();
    waveIn = in.get();
    waveOut = out.get();
    if (!setup.playbackOpens)
        out->FailOpen(WaveError::NoDevice);
    CClient_TavroDlg::Options& options = harness->Options();
    options.waveIn = std::move(in);
    options.waveOut = std::move(out);
    options.serialPortFactory = serial.Factory();
    options.prompt = setup.prompt ? setup.prompt : &prompt;
    options.clock = setup.clock;
    harness->Start();
    ok = serial.IsOpen() && !serial.Rts() && harness->Connect() &&
         AcceptAndJoin(peer, 113) != nullptr;
    restLineChanges = serial.LineChanges().size();
}

void Gateway::SendRoomAudio(int count) {
    for (int i = 0; i < count; ++i)
        ASSERT_TRUE(peer.Send(*RoomAudio()));
}

void Gateway::Capture() {
    const std::vector<int16_t> silence(kPacketSamples, 0);
    while (waveIn->Fill(silence)) {
    }
}

bool Gateway::KeyWithRoomAudio() {
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

bool Gateway::PlayedAudio() const {
    return std::any_of(waveOut->Written().begin(), waveOut->Written().end(),
                       [](const std::vector<int16_t>& buffer) {
                           return std::any_of(buffer.begin(), buffer.end(),
                                              [](int16_t s) { return s != 0; });
                       });
}

int Gateway::RtsAssertions(size_t since) const {
    const std::vector<CFakeSerialDevice::LineChange> changes = serial.LineChanges();
    return int(std::count_if(changes.begin() + ptrdiff_t(since), changes.end(),
                             [](const CFakeSerialDevice::LineChange& change) {
                                 return change.line == 'R' && change.asserted;
                             }));
}
