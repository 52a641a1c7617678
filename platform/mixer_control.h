#pragma once

#include <poll.h>

#include <array>
#include <cstdint>
#include <vector>

// A mixer control's channel values; a one-channel control uses the first.
inline constexpr int kMaxMixerChannels = 2;
using MixerValues = std::array<uint32_t, kMaxMixerChannels>;

// What HandleEvents found.
enum class MixerEvents {
    Unchanged,
    Changed, // the values changed
    Lost,    // the mixer is gone (a card unplugged): stop watching it
};

// One volume control of the sound card's mixer, as a fader drives it: one
// or two channels whose values lie between Minimum() and Maximum(), set in
// StepCount() steps. A change made by another program (a mixer application,
// the desktop's volume control) shows on the poll descriptors: when one is
// ready, the owner calls HandleEvents, which tells whether the values
// changed or the mixer is gone. Everything runs on the owner's thread.
class IMixerControl {
public:
    virtual ~IMixerControl() = default;

    // 1 or 2; a two-channel control keeps the left (first) and right
    // (second) values apart.
    virtual int ChannelCount() const = 0;
    virtual uint32_t Minimum() const = 0;
    virtual uint32_t Maximum() const = 0;
    virtual int StepCount() const = 0;

    // The current values of the first ChannelCount() entries; false when the
    // mixer cannot be read.
    virtual bool Read(MixerValues& values) = 0;
    // Sets the control to the first ChannelCount() entries of values.
    virtual bool Write(const MixerValues& values) = 0;

    // The descriptors to watch for changes made elsewhere, with the events to
    // watch for.
    virtual std::vector<pollfd> PollDescriptors() const = 0;
    // Takes in what made a descriptor ready.
    virtual MixerEvents HandleEvents() = 0;
};
