#pragma once

#include "platform/clock.h"

#include <cstdint>
#include <mutex>

// Follows the receiver's overs as they go to the room, for the log: an over
// begins with a packet of sound sent after a quiet spell and ends once no
// sound has been sent for kQuietMs. Packets are counted on the transmit
// thread; the end is looked for on the UI thread.
class CReceiverOvers {
public:
    static constexpr uint32_t kQuietMs = 2000;

    explicit CReceiverOvers(const IClock& clock) : clock_(clock) {}
    // A packet of sound (not silence) went out; true when it begins an over.
    bool SoundSent();
    // The length in milliseconds of an over that has ended since the last
    // call, from its first packet to the end of its last; 0 when none has.
    uint32_t TakeEnded();

private:
    static constexpr uint32_t kPacketMs = 200;

    const IClock& clock_;
    std::mutex lock_;
    bool running_ = false;
    uint32_t firstTicks_ = 0;
    uint32_t lastTicks_ = 0;
};
