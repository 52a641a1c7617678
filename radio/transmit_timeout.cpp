#include "radio/transmit_timeout.h"

#include <algorithm>

CTransmitTimeout::CTransmitTimeout(IClock& clock) : keyedFor_(clock), quietFor_(clock) {}

void CTransmitTimeout::Configure(bool enabled, int timeoutSeconds, int restartSeconds) {
    std::lock_guard lock(mutex_);
    // A time-out of 0 s would release every over at once: at least a second.
    enabled_ = enabled;
    timeoutMs_ = uint32_t(std::max(timeoutSeconds, 1)) * 1000u;
    restartMs_ = uint32_t(std::max(restartSeconds, 0)) * 1000u;
    if (!enabled_)
        lockedOut_ = false;
}

bool CTransmitTimeout::Expired(bool keyed) {
    std::lock_guard lock(mutex_);
    if (keyed && !wasKeyed_)
        keyedFor_.Restart();
    wasKeyed_ = keyed;
    if (!enabled_ || !keyed || lockedOut_ || keyedFor_.Elapsed() < timeoutMs_)
        return false;
    lockedOut_ = true;
    lockedTalker_ = talker_;
    quietFor_.Restart();
    return true;
}

bool CTransmitTimeout::DropRoomAudio() {
    std::lock_guard lock(mutex_);
    if (!lockedOut_ || RestartDue())
        return false;
    quietFor_.Restart();
    return true;
}

void CTransmitTimeout::TalkerIs(const std::string& talker) {
    std::lock_guard lock(mutex_);
    // The talker's pause between overs (nobody talking) is no change.
    if (!talker.empty() && talker != lockedTalker_)
        lockedOut_ = false;
    talker_ = talker;
}

bool CTransmitTimeout::IsLockedOut() const {
    std::lock_guard lock(mutex_);
    return lockedOut_;
}

bool CTransmitTimeout::Restarted() {
    std::lock_guard lock(mutex_);
    if (!lockedOut_ || !RestartDue())
        return false;
    lockedOut_ = false;
    return true;
}

bool CTransmitTimeout::RestartDue() const {
    return quietFor_.Elapsed() >= restartMs_;
}
