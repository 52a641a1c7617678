#pragma once

#include "audio/dtmf_decoder.h"
#include "audio/mixin_queue.h"
#include "audio/queues.h"
#include "platform/wave_device.h"

#include <array>
#include <functional>

class CElapsedTimer;

// What the window's meters show, each 0 to 32768: the peak of the last
// captured packet, the peak of the last played buffer and the eight DTMF
// tone levels (697 Hz to 1633 Hz).
struct AudioLevels {
    int inputPeak = 0;
    int outputPeak = 0;
    std::array<int, kDtmfTones> dtmf{};
};

// The sound card as the window switches it: capture (receiver audio to the
// room) or playback (room audio to the transmitter, which keying follows).
// Everything runs on the UI thread, where the engines are.
class IAudioPath {
public:
    virtual ~IAudioPath() = default;
    virtual void SwitchToPlayback() = 0;
    // Capture already running keys the transmitter when keyIfCapturing (the
    // operator's push-to-talk) and the squelch is not on CTS.
    virtual void SwitchToCapture(bool keyIfCapturing) = 0;
    // Called on every heartbeat (250 ms).
    virtual void Heartbeat() = 0;
    // Stops capture and closes playback; whenStopped runs once both have
    // stopped (at once when they already have). Nothing restarts them before.
    virtual void Stop(std::function<void()> whenStopped) = 0;
    // The devices for the next start of capture and playback.
    virtual void SetDevices(const WaveDeviceId& capture, const WaveDeviceId& playback) = 0;
    // Push-to-talk (or an open squelch line) forces captured audio out.
    virtual void SetPushToTalk(bool active) = 0;
    // Captured audio is ignored for ms milliseconds after audio was played.
    virtual void SetSquelchSettling(int ms) = 0;
    // Time since audio was last played (push-to-talk arming reads it).
    virtual CElapsedTimer& PlaybackTimer() = 0;
    // Received packets and mix-in markers waiting for playback.
    virtual CSoundQueue& PlaybackQueue() = 0;
    // Sounds to mix into playback at once.
    virtual CMixInQueue& MixInQueue() = 0;
    // Captured packets waiting for the transmit thread.
    virtual CSoundQueue& TransmitQueue() = 0;
    // The meters' levels now.
    virtual AudioLevels Levels() const = 0;
};
