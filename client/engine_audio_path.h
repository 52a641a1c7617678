#pragma once

#include "audio/sound_host.h"
#include "audio/sound_in.h"
#include "audio/sound_out.h"
#include "client/audio_path.h"
#include "client/queued_call.h"
#include "platform/wave_device.h"

#include <functional>
#include <memory>
#include <string>

class CRigKeying;

// What the audio path needs from the window.
struct AudioPathHooks {
    std::function<bool()> isConnected;
    // The floor check for a captured packet.
    std::function<bool(bool silent)> mayTalk;
    std::function<bool()> isTestMode;
    std::function<void(const std::string&)> showError;
    // The transmitter was keyed over silence for too long (queued command 1018).
    std::function<void()> connectionLost;
    // After the capture engine has taken a buffer (the end-of-transmission count).
    std::function<void()> captureBufferTaken;
    // A line for the log.
    std::function<void(const std::string&)> note;
};

// The sound card through the capture and playback engines, taking turns
// (half-duplex), with the rig link keying the transmitter. The devices report
// from their own threads; each notification is queued to the thread that
// owns this object and handed to its engine there, in order.
//
// A sound card that fails in the middle (unplugged) or cannot be opened
// releases the transmitter and is shown once; the path then tries to open
// it again every kSoundRetryMs, without a message per try, and capture
// resumes by itself once it opens. Room audio is dropped meanwhile.
class CEngineAudioPath : public IAudioPath,
                         private ISoundHost,
                         private IWaveInSink,
                         private IWaveOutSink {
public:
    CEngineAudioPath(std::unique_ptr<IWaveIn> waveIn, std::unique_ptr<IWaveOut> waveOut,
                     WaveDeviceId captureDevice, WaveDeviceId playbackDevice, CRigKeying& rig,
                     AudioPathHooks hooks, IClock& clock = SystemClock());
    ~CEngineAudioPath() override;

    void SwitchToPlayback() override;
    void SwitchToCapture(bool keyIfCapturing) override;
    void Heartbeat() override;
    void Stop(std::function<void()> whenStopped) override;
    void SetDevices(const WaveDeviceId& capture, const WaveDeviceId& playback) override;
    void SetPushToTalk(bool active) override { in_.pttActive = active; }
    void SetSquelchSettling(int ms) override;
    CElapsedTimer& PlaybackTimer() override { return out_.lastAudio; }
    CSoundQueue& PlaybackQueue() override { return out_.receiveQueue; }
    CMixInQueue& MixInQueue() override { return out_.mixInQueue; }
    CSoundQueue& TransmitQueue() override { return in_.transmitQueue; }
    AudioLevels Levels() const override;

    // The levels and switches of capture from the window's settings, and the
    // squelch input of the rig settings in force.
    void Configure(bool voxEnabled, int voxLevel, int silenceLevel, const int (&dtmfGain)[8],
                   RigSquelchLine squelchLine);
    CSoundIn& Capture() { return in_; }
    CSoundOut& Playback() { return out_; }
    // The sound card has failed and is being tried again.
    bool IsSoundLost() const { return lost_ != SoundSide::None; }

    static constexpr uint32_t kSoundRetryMs = 2000;

private:
    // ISoundHost
    bool IsConnected() const override { return hooks_.isConnected(); }
    bool MayTalk(bool silent) const override { return hooks_.mayTalk(silent); }
    bool IsTestMode() const override { return hooks_.isTestMode(); }
    void ShowError(const std::string& text) override;
    RigSquelchLine SquelchLine() const override;
    RigKeyingMethod KeyingMethod() const override;
    bool IsKeyed() const override;
    void Key() override;
    void Unkey() override;
    void UnkeyAfter(uint32_t ms) override;
    CMixInSound& KeyingTone() override;
    void PostConnectionLost() override { hooks_.connectionLost(); }
    void StartCapture() override;
    bool StartPlayback() override;

    // Device notifications, on the device threads.
    void OnWaveInData(WaveBuffer buffer) override;
    void OnWaveInClose() override;
    void OnWaveOutDone(WaveBuffer buffer) override;
    void OnWaveOutClose() override;
    void OnWaveInFailed(const std::string& reason) override;
    void OnWaveOutFailed(const std::string& reason) override;
    void CheckStopped();
    // Drops what waits to be played and closes playback; capture follows.
    void ClosePlayback();
    enum class SoundSide { None, Capture, Playback };
    // A device failed or did not open: shown once, then retried quietly.
    void SoundLost(SoundSide side, const std::string& reason);
    void SoundBack();
    // Drops the room's audio, and tries capture again when its time has come.
    void RetryLostSound();

    CQueuedCalls uiCalls_; // device notifications, queued to this object's thread
    std::unique_ptr<IWaveIn> waveIn_;
    std::unique_ptr<IWaveOut> waveOut_;
    WaveDeviceId captureDevice_, playbackDevice_;
    CRigKeying& rig_;
    AudioPathHooks hooks_;
    RigSquelchLine squelchLine_ = RigSquelchLine::None;
    CSoundIn in_;
    CSoundOut out_;
    // Set from Stop until both engines have stopped.
    std::function<void()> whenStopped_;
    // Time since the playback device last handed a buffer back, or playback started.
    CElapsedTimer lastPlaybackBuffer_;
    // The side whose failure is being retried: capture by the heartbeat,
    // playback by the next room audio.
    SoundSide lost_ = SoundSide::None;
    CElapsedTimer soundRetry_;
};
