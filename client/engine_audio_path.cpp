#include "client/engine_audio_path.h"

#include "audio/mixin_sound.h"
#include "audio/sound_packet.h"
#include "radio/rig_keying.h"

#include <algorithm>

namespace {
// Buffers of silence after the room's audio has ended before the sound card
// goes back to capture: as long as the release after a mixed-in sound.
constexpr int kReleaseAfterSilentBuffers = 3;
// A playback device hands a buffer back every 200 ms; one that has handed
// none back for five buffers' time has failed.
constexpr uint32_t kPlaybackStalledMs = 1000;
} // namespace

CEngineAudioPath::CEngineAudioPath(std::unique_ptr<IWaveIn> waveIn,
                                   std::unique_ptr<IWaveOut> waveOut, WaveDeviceId captureDevice,
                                   WaveDeviceId playbackDevice, CRigKeying& rig,
                                   AudioPathHooks hooks, IClock& clock)
    : waveIn_(std::move(waveIn)), waveOut_(std::move(waveOut)),
      captureDevice_(std::move(captureDevice)), playbackDevice_(std::move(playbackDevice)),
      rig_(rig), hooks_(std::move(hooks)), in_(*waveIn_, *this, *this),
      out_(*waveOut_, *this, *this, clock), lastPlaybackBuffer_(clock), soundRetry_(clock) {
    in_.deviceId = captureDevice_;
    out_.deviceId = playbackDevice_;
}

CEngineAudioPath::~CEngineAudioPath() = default;

void CEngineAudioPath::Configure(bool voxEnabled, int voxLevel, int silenceLevel,
                                 const int (&dtmfGain)[8], RigSquelchLine squelchLine) {
    in_.voxEnabled = voxEnabled;
    in_.voxLevel = voxLevel;
    in_.silenceLevel = silenceLevel;
    for (int i = 0; i < 8; ++i)
        in_.dtmfGain[size_t(i)] = dtmfGain[i];
    squelchLine_ = squelchLine;
}

void CEngineAudioPath::SetSquelchSettling(int ms) {
    in_.settleTimer = &out_.lastAudio;
    in_.settleMs = ms;
}

// ---- the half-duplex switches

void CEngineAudioPath::SwitchToPlayback() {
    // While the engines are being stopped (closing, rig set-up) nothing
    // restarts them; received audio waits in the queue.
    if (whenStopped_)
        return;
    // Without a working sound card the heartbeat drops the room's audio;
    // playing it is tried again at most every kSoundRetryMs.
    if (lost_ != SoundSide::None) {
        if (soundRetry_.Elapsed() < kSoundRetryMs)
            return;
        soundRetry_.Restart();
    }
    if (out_.stopped) {
        if (in_.stopped) {
            if (StartPlayback())
                Key();
        } else {
            // Playback starts, and keys, once the capture device has closed.
            in_.startPlaybackOnClose = true;
            in_.RequestStop();
        }
    } else if (out_.stopRequested || out_.stopWhenDrained) {
        out_.stopRequested = false;
        out_.stopWhenDrained = false;
        out_.restartCaptureOnClose = false;
        Key();
    }
}

// When the room's audio has ended and nothing else is to be played, playback
// drains and hands the sound card back to capture, which releases the
// transmitter, rather than keeping it keyed over an empty channel until
// push-to-talk, the squelch or the keyed-silence watchdog ends it.
void CEngineAudioPath::Heartbeat() {
    if (lost_ != SoundSide::None) {
        RetryLostSound();
        return;
    }
    if (!out_.stopped && lastPlaybackBuffer_.Elapsed() > kPlaybackStalledMs) {
        ClosePlayback();
        return;
    }
    if (!out_.stopped && !out_.stopRequested && !out_.stopWhenDrained && !out_.currentMixIn &&
        out_.mixInQueue.IsEmpty() && out_.receiveQueue.IsEmpty() &&
        out_.fillerRun >= kReleaseAfterSilentBuffers)
        out_.stopWhenDrained = true;
}

// A playback device that keeps the buffers it was given, as a stalled sound
// card does, would never end playback, and the transmitter would stay keyed;
// one that failed plays nothing more. Whatever waits to be played is dropped,
// so that the buffers the close hands back are not written again; the device
// is closed, the transmitter released and capture takes over once the close
// has come.
void CEngineAudioPath::ClosePlayback() {
    out_.currentMixIn.reset();
    out_.mixInQueue.Clear();
    out_.receiveQueue.Clear();
    out_.restartCaptureOnClose = true;
    out_.Close();
    waveOut_->Close();
    Unkey();
}

void CEngineAudioPath::SwitchToCapture(bool keyIfCapturing) {
    if (whenStopped_)
        return;
    if (lost_ == SoundSide::Capture) {
        // Nothing to send from: the retry brings capture back.
        Unkey();
        return;
    }
    if (in_.stopped) {
        if (out_.stopped) {
            Unkey();
            StartCapture();
        } else {
            out_.restartCaptureOnClose = true;
            out_.Close();
        }
    } else if (in_.stopRequested) {
        in_.stopRequested = false;
        in_.startPlaybackOnClose = false;
        Unkey();
    } else if (keyIfCapturing && squelchLine_ != RigSquelchLine::Cts) {
        Key();
    }
}

void CEngineAudioPath::Stop(std::function<void()> whenStopped) {
    whenStopped_ = std::move(whenStopped);
    in_.startPlaybackOnClose = false;
    out_.restartCaptureOnClose = false;
    out_.stopWhenDrained = false;
    if (!in_.stopped)
        in_.RequestStop();
    if (!out_.stopped)
        out_.Close();
    CheckStopped();
}

void CEngineAudioPath::CheckStopped() {
    if (!whenStopped_ || !in_.stopped || !out_.stopped)
        return;
    const std::function<void()> done = std::move(whenStopped_);
    whenStopped_ = nullptr;
    done();
}

AudioLevels CEngineAudioPath::Levels() const {
    AudioLevels levels;
    levels.inputPeak = in_.LastPeak();
    levels.outputPeak = out_.LastPeak();
    std::ranges::copy(in_.DtmfLevels(), levels.dtmf.begin());
    return levels;
}

void CEngineAudioPath::SetDevices(const WaveDeviceId& capture, const WaveDeviceId& playback) {
    captureDevice_ = capture;
    playbackDevice_ = playback;
    // Another device is a fresh start, with its own messages.
    lost_ = SoundSide::None;
}

// ---- a sound card that fails or is missing

// Engine errors while the card is being retried would repeat on every try.
void CEngineAudioPath::ShowError(const std::string& text) {
    if (lost_ == SoundSide::None)
        hooks_.showError(text);
}

void CEngineAudioPath::SoundLost(SoundSide side, const std::string& reason) {
    soundRetry_.Restart();
    Unkey();
    const bool first = lost_ == SoundSide::None;
    lost_ = side;
    if (!first)
        return;
    // An open failure has had the engine's own message.
    if (!reason.empty())
        hooks_.showError("Sound card failure: " + reason + ".\nThe transmitter is released.");
    hooks_.note("Trying the sound card again every " + std::to_string(kSoundRetryMs / 1000) +
                " s; the connection stays up");
}

void CEngineAudioPath::SoundBack() {
    lost_ = SoundSide::None;
    hooks_.note("The sound card works again");
}

// Playback that runs is either closing after a failure or trying the card
// again; otherwise the room's audio has nowhere to go.
void CEngineAudioPath::RetryLostSound() {
    if (!out_.stopped)
        return;
    out_.currentMixIn.reset();
    out_.mixInQueue.Clear();
    out_.receiveQueue.Clear();
    if (lost_ != SoundSide::Capture || whenStopped_ || !in_.stopped ||
        soundRetry_.Elapsed() < kSoundRetryMs)
        return;
    soundRetry_.Restart();
    StartCapture();
}

// ---- the rig link

RigSquelchLine CEngineAudioPath::SquelchLine() const {
    return squelchLine_;
}

RigKeyingMethod CEngineAudioPath::KeyingMethod() const {
    return rig_.KeyingMethod();
}

bool CEngineAudioPath::IsKeyed() const {
    return rig_.IsKeyed();
}

void CEngineAudioPath::Key() {
    rig_.Key();
}

void CEngineAudioPath::Unkey() {
    rig_.Unkey();
}

void CEngineAudioPath::UnkeyAfter(uint32_t ms) {
    rig_.UnkeyAfter(ms);
}

CMixInSound& CEngineAudioPath::KeyingTone() {
    return rig_.KeyingTone();
}

void CEngineAudioPath::StartCapture() {
    if (whenStopped_)
        return;
    in_.deviceId = captureDevice_;
    in_.Start();
    if (in_.stopped)
        SoundLost(SoundSide::Capture, "");
    else if (lost_ == SoundSide::Capture)
        SoundBack();
}

bool CEngineAudioPath::StartPlayback() {
    if (whenStopped_)
        return false;
    lastPlaybackBuffer_.Restart();
    out_.deviceId = playbackDevice_;
    if (out_.Start()) {
        if (lost_ != SoundSide::None)
            SoundBack();
        return true;
    }
    // Without a playback device the gateway keeps listening to its receiver.
    SoundLost(SoundSide::Playback, "");
    StartCapture();
    return false;
}

// ---- device notifications: queued from the device threads to this thread

void CEngineAudioPath::OnWaveInData(WaveBuffer buffer) {
    auto shared = std::make_shared<WaveBuffer>(std::move(buffer));
    uiCalls_.Post([this, shared] {
        in_.OnData(std::move(*shared));
        hooks_.captureBufferTaken();
    });
}

void CEngineAudioPath::OnWaveInClose() {
    uiCalls_.Post([this] {
        in_.OnClose();
        CheckStopped();
    });
}

void CEngineAudioPath::OnWaveOutDone(WaveBuffer buffer) {
    auto shared = std::make_shared<WaveBuffer>(std::move(buffer));
    uiCalls_.Post([this, shared] {
        lastPlaybackBuffer_.Restart();
        out_.OnDone(std::move(*shared));
    });
}

void CEngineAudioPath::OnWaveInFailed(const std::string& reason) {
    uiCalls_.Post([this, reason] {
        // The buffers come back with the close, which ends capture.
        in_.startPlaybackOnClose = false;
        in_.stopRequested = true;
        waveIn_->Close();
        SoundLost(SoundSide::Capture, reason);
    });
}

void CEngineAudioPath::OnWaveOutFailed(const std::string& reason) {
    uiCalls_.Post([this, reason] {
        ClosePlayback();
        SoundLost(SoundSide::Playback, reason);
    });
}

void CEngineAudioPath::OnWaveOutClose() {
    uiCalls_.Post([this] {
        out_.OnClose();
        CheckStopped();
    });
}
