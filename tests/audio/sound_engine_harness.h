#pragma once

// Both sound engines on manual devices, with a host that records what the
// engines ask of the window and the rig link, and a window event queue that
// holds the devices' notifications until the test pumps them.

#include "audio/mixin_sound.h"
#include "audio/sound_host.h"
#include "audio/sound_in.h"
#include "audio/sound_out.h"
#include "tests/support/manual_wave.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <deque>
#include <functional>
#include <string>
#include <vector>

class CRecordingHost : public ISoundHost {
public:
    bool IsConnected() const override { return connected; }
    bool MayTalk(bool silent) const override { return MayTalkOnFloor(talker, ownCall, silent); }
    bool IsTestMode() const override { return testMode; }
    void ShowError(const std::string& text) override { errors.push_back(text); }
    RigSquelchLine SquelchLine() const override { return squelchLine; }
    RigKeyingMethod KeyingMethod() const override { return keyingMethod; }
    bool IsKeyed() const override { return keyed; }
    void Key() override {
        keyed = true;
        calls.push_back("Key");
    }
    void Unkey() override {
        keyed = false;
        calls.push_back("Unkey");
    }
    void UnkeyAfter(uint32_t ms) override { calls.push_back("UnkeyAfter " + std::to_string(ms)); }
    CMixInSound& KeyingTone() override { return tone; }
    void PostConnectionLost() override { calls.push_back("ConnectionLost"); }
    void StartCapture() override {
        calls.push_back("StartCapture");
        startCapture();
    }
    bool StartPlayback() override {
        calls.push_back("StartPlayback");
        return startPlayback();
    }

    bool connected = true;
    std::string talker;
    std::string ownCall = "G0ABC";
    bool testMode = false;
    RigSquelchLine squelchLine = RigSquelchLine::None;
    RigKeyingMethod keyingMethod = RigKeyingMethod::ComPort; // no keying tone
    bool keyed = false;
    CMixInSound tone;
    std::vector<std::string> errors;
    std::vector<std::string> calls;
    std::function<void()> startCapture;
    std::function<bool()> startPlayback;
};

struct SoundStation : IWaveInSink, IWaveOutSink {
    SoundStation() {
        host.startCapture = [this] { in.Start(); };
        host.startPlayback = [this] { return out.Start(); };
    }

    // The device threads' notifications, queued for the window's thread.
    void OnWaveInData(WaveBuffer b) override {
        events.push_back([this, b]() mutable { in.OnData(std::move(b)); });
    }
    void OnWaveInClose() override {
        events.push_back([this] { in.OnClose(); });
    }
    void OnWaveOutDone(WaveBuffer b) override {
        events.push_back([this, b]() mutable { out.OnDone(std::move(b)); });
    }
    // The engines here run without the client, which handles failures.
    void OnWaveInFailed(const std::string&) override {}
    void OnWaveOutFailed(const std::string&) override {}
    void OnWaveOutClose() override {
        events.push_back([this] { out.OnClose(); });
    }
    // Runs the oldest queued notification.
    void RunOne() {
        auto event = std::move(events.front());
        events.pop_front();
        event();
    }
    // Runs the queued notifications, and those they cause, in order.
    void Pump() {
        while (!events.empty())
            RunOne();
    }
    // The capture device records samples into its oldest buffer; the window
    // handles what follows.
    void Record(const std::vector<int16_t>& samples) {
        ASSERT_TRUE(waveIn.Fill(samples));
        Pump();
    }
    // The playback device finishes its oldest buffer; the window handles it.
    void PlayOne() {
        ASSERT_TRUE(waveOut.Play());
        Pump();
    }
    int Count(const std::string& call) const {
        return int(std::count(host.calls.begin(), host.calls.end(), call));
    }

    CRecordingHost host;
    CManualClock clock{100000};
    CManualWaveIn waveIn;
    CManualWaveOut waveOut;
    std::deque<std::function<void()>> events;
    CSoundIn in{waveIn, *this, host};
    CSoundOut out{waveOut, *this, host, clock};
};
