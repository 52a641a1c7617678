#pragma once

class CElapsedTimer;

// The sound card as the window switches it: capture (receiver audio to the
// room) or playback (room audio to the transmitter, which keying follows).
// The switches run on the UI thread or the receive thread, always under the
// window's display lock.
class IAudioPath {
public:
    virtual ~IAudioPath() = default;
    virtual void SwitchToPlayback() = 0;
    virtual void SwitchToCapture() = 0;
    // Called on every heartbeat (250 ms) on the UI thread.
    virtual void Heartbeat() = 0;
    // Stops capture and closes playback for shutdown; true once both are stopped.
    virtual bool StopForShutdown() = 0;
    virtual bool IsTransmitterKeyed() const = 0;
    // Releases the transmitter and returns the keying lines to idle.
    virtual void ReleaseTransmitter() = 0;
    // Time since audio was last played (push-to-talk arming reads it).
    virtual CElapsedTimer& PlaybackTimer() = 0;
};
