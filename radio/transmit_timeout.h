#pragma once

#include "audio/elapsed_timer.h"
#include "platform/clock.h"

#include <mutex>
#include <string>

// The transmit time-out: a station that keeps talking does not hold the
// transmitter for minutes. Once the transmitter has been keyed for the
// time-out, it is released and the room's audio is dropped until the talker
// changes or the restart time passes without room audio. Safe to use from
// the receive thread (room audio, talker) and the window's (the heartbeat).
class CTransmitTimeout {
public:
    explicit CTransmitTimeout(IClock& clock = SystemClock());

    // Off by default, so that stored settings behave as before.
    void Configure(bool enabled, int timeoutSeconds, int restartSeconds);
    // Called on every heartbeat with the transmitter's state: true once, when
    // it has been keyed for the time-out and must be released now.
    bool Expired(bool keyed);
    // Room audio arrived: true while it is to be dropped. Each packet dropped
    // starts the restart time again.
    bool DropRoomAudio();
    // The room's talker is now `talker` (empty: nobody): another station
    // than the one that timed out ends the lock-out.
    void TalkerIs(const std::string& talker);
    // The room's audio is being kept off the air.
    bool IsLockedOut() const;
    // Called on every heartbeat: true once, when the restart time has passed
    // without room audio and the lock-out has ended.
    bool Restarted();

private:
    bool RestartDue() const;

    mutable std::mutex mutex_;
    bool enabled_ = false;
    uint32_t timeoutMs_ = 0;
    uint32_t restartMs_ = 0;
    bool wasKeyed_ = false;
    bool lockedOut_ = false;
    std::string talker_;
    std::string lockedTalker_;
    CElapsedTimer keyedFor_;
    CElapsedTimer quietFor_;
};
