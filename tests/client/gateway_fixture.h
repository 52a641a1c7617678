#pragma once

#include "protocol/conference_messages.h"
#include "tests/client/client_harness.h"
#include "tests/support/fake_serial_port.h"
#include "tests/support/manual_wave.h"

#include <atomic>
#include <memory>
#include <string>
#include <thread>

// Message boxes belong to the UI thread: this prompt counts those shown from
// any other thread instead of recording them.
class UiThreadPrompt : public FakeUserPrompt {
public:
    void ShowMessage(const std::string& text, const std::string& caption, Icon icon) override;

    std::atomic<int> offUiThread{0};

private:
    const std::thread::id uiThread_ = std::this_thread::get_id();
};

// 200 ms of a 440 Hz tone as the server relays a talker's audio.
std::unique_ptr<CSoundMessage> RoomAudio();

// One gateway with manual sound devices and keying on a fake serial device,
// connected to a scripted server and joined.
class Gateway {
public:
    struct Setup {
        bool playbackOpens = true;
        // The rig settings (sections of the settings file).
        std::string rigIni = kRtsKeyingIni;
        // The prompt; null for the gateway's own UiThreadPrompt.
        IUserPrompt* prompt = nullptr;
        // The gateway's clock; null for the system's.
        IClock* clock = nullptr;
    };
    Gateway();
    explicit Gateway(const Setup& setup);

    CClient_TavroDlg& Client() { return harness->Client(); }

    // The server relays `count` packets of a talker's audio.
    void SendRoomAudio(int count);
    // The receiver's audio: every buffer the capture device holds comes back
    // filled with silence.
    void Capture();
    // Room audio arrives: the sound card goes from capture to playback, which
    // keys the transmitter, and the first packet is played.
    bool KeyWithRoomAudio();
    // The playback device was given a buffer with sound in it.
    bool PlayedAudio() const;
    // Times the keying line was asserted since line change number `since`.
    int RtsAssertions(size_t since) const;

    CScriptedPeer peer;
    CFakeSerialDevice serial;
    UiThreadPrompt prompt;
    std::unique_ptr<ClientHarness> harness;
    CManualWaveIn* waveIn = nullptr;
    CManualWaveOut* waveOut = nullptr;
    size_t restLineChanges = 0;
    bool ok = false;
};
