#pragma once

#include "audio/elapsed_timer.h"
#include "audio/mixin_queue.h"
#include "audio/queues.h"
#include "client/audio_path.h"

// The audio path of a client without a sound card: room audio is taken off
// the playback queue and dropped on every heartbeat, so nothing piles up,
// and the transmitter is never keyed.
class CDiscardingAudioPath : public IAudioPath {
public:
    CDiscardingAudioPath(CSoundQueue& playback, CMixInQueue& mixIn)
        : playback_(playback), mixIn_(mixIn) {}

    void SwitchToPlayback() override {}
    void SwitchToCapture() override {}
    void Heartbeat() override;
    bool StopForShutdown() override;
    bool IsTransmitterKeyed() const override { return false; }
    void ReleaseTransmitter() override {}
    CElapsedTimer& PlaybackTimer() override { return lastAudio_; }

private:
    void Drain();

    CSoundQueue& playback_;
    CMixInQueue& mixIn_;
    CElapsedTimer lastAudio_;
};
