#pragma once

#include "platform/mixer_control.h"

#include <cstdint>

// The arithmetic between a mixer volume control and its slider. The control
// holds one value per channel (one or two) between its minimum and maximum;
// the slider runs from 0 to the control's step count. A step is range /
// steps of volume, taken as a fraction, so a step count that does not divide
// the range (fewer steps than volume values) still reaches both ends.

struct FaderScale {
    uint32_t minimum = 0;
    uint32_t maximum = 0;
    int steps = 0;
    // On a vertical slider position 0 is the top, and the top is loudest.
    bool vertical = true;

    uint32_t Range() const { return maximum - minimum; }
    bool Usable() const { return maximum > minimum && steps > 0; }
};

struct FaderReading {
    int position = 0;
    // (second - first) / louder channel: below 0 the first channel is the
    // louder, above 0 the second.
    double balance = 0;
};

// The slider position for the control's values, from the louder channel. The
// balance is read from the two channels when there are two and the louder is
// above the minimum; otherwise previousBalance is kept.
FaderReading FaderFromChannels(const FaderScale& scale, int channels, const MixerValues& values,
                               double previousBalance);

// The control's values for a slider position: one channel takes the volume
// as it is; of two, the louder side (by balance) takes it and the other its
// share of it.
MixerValues ChannelsFromFader(const FaderScale& scale, int channels, int position, double balance);
