#pragma once

#include "audio/elapsed_timer.h"
#include "client/audio_path.h"

// The audio path of a client without a sound card: room audio is taken off
// the playback queue and dropped on every heartbeat, so nothing piles up;
// nothing is captured and the transmitter is never keyed.
class CDiscardingAudioPath : public IAudioPath {
public:
    void SwitchToPlayback() override {}
    void SwitchToCapture(bool) override {}
    void Heartbeat() override;
    void Stop(std::function<void()> whenStopped) override;
    void SetDevices(const WaveDeviceId&, const WaveDeviceId&) override {}
    void SetPushToTalk(bool) override {}
    void SetSquelchSettling(int) override {}
    CElapsedTimer& PlaybackTimer() override { return lastAudio_; }
    CSoundQueue& PlaybackQueue() override { return playback_; }
    CMixInQueue& MixInQueue() override { return mixIn_; }
    CSoundQueue& TransmitQueue() override { return transmit_; }
    AudioLevels Levels() const override { return {}; }

private:
    void Drain();

    CSoundQueue playback_;
    CMixInQueue mixIn_;
    CSoundQueue transmit_;
    CElapsedTimer lastAudio_;
};
