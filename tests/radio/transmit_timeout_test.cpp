#include "radio/transmit_timeout.h"

#include <gtest/gtest.h>

namespace {

TEST(TransmitTimeout, TripsOnceAndEndsAfterTheRestartTimeOfQuietOrAnotherTalker) {
    CManualClock clock;
    CTransmitTimeout tot(clock);
    // Off (the stored files' default): never trips.
    EXPECT_FALSE(tot.Expired(true));
    clock.Advance(600'000);
    EXPECT_FALSE(tot.Expired(true));

    tot.Configure(true, 60, 10);
    tot.TalkerIs("M0RMT");
    EXPECT_FALSE(tot.Expired(false));
    EXPECT_FALSE(tot.Expired(true)); // keyed from here
    clock.Advance(59'999);
    EXPECT_FALSE(tot.Expired(true));
    clock.Advance(1);
    EXPECT_TRUE(tot.Expired(true));
    EXPECT_FALSE(tot.Expired(true)); // once

    // Audio keeps the lock-out; so does the same talker after a pause.
    clock.Advance(9'000);
    EXPECT_TRUE(tot.DropRoomAudio());
    tot.TalkerIs("");
    tot.TalkerIs("M0RMT");
    clock.Advance(9'999);
    EXPECT_TRUE(tot.DropRoomAudio());
    EXPECT_FALSE(tot.Restarted());
    clock.Advance(10'000);
    EXPECT_TRUE(tot.Restarted());
    EXPECT_FALSE(tot.Restarted());
    EXPECT_FALSE(tot.DropRoomAudio());

    // A new over counts from its own start; another talker ends the lock-out at once.
    EXPECT_FALSE(tot.Expired(false));
    EXPECT_FALSE(tot.Expired(true));
    clock.Advance(60'000);
    EXPECT_TRUE(tot.Expired(true));
    tot.TalkerIs("G4XYZ");
    EXPECT_FALSE(tot.DropRoomAudio());
}

} // namespace
