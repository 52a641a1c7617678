#include "audio/mixer_fader_logic.h"

#include <algorithm>

namespace {

// The volume above the minimum for a slider position. A fractional step is
// rounded up, so that reading the volume back gives the same position.
uint32_t VolumeAt(const FaderScale& scale, int position) {
    const int clamped = std::clamp(position, 0, scale.steps);
    const auto level = static_cast<uint64_t>(scale.vertical ? scale.steps - clamped : clamped);
    const auto steps = static_cast<uint64_t>(scale.steps);
    return static_cast<uint32_t>((uint64_t{scale.Range()} * level + steps - 1) / steps);
}

// The slider position for a volume above the minimum.
int PositionAt(const FaderScale& scale, uint32_t volume) {
    const auto level = static_cast<int>(uint64_t{std::min(volume, scale.Range())} *
                                        static_cast<uint64_t>(scale.steps) / scale.Range());
    return scale.vertical ? scale.steps - level : level;
}

uint32_t AboveMinimum(const FaderScale& scale, uint32_t value) {
    return value > scale.minimum ? value - scale.minimum : 0;
}

} // namespace

FaderReading FaderFromChannels(const FaderScale& scale, int channels, const MixerValues& values,
                               double previousBalance) {
    const uint32_t first = AboveMinimum(scale, values[0]);
    FaderReading reading{0, previousBalance};
    uint32_t louder = first;
    if (channels > 1) {
        const uint32_t second = AboveMinimum(scale, values[1]);
        louder = std::max(first, second);
        if (louder != 0)
            reading.balance = (double(second) - double(first)) / double(louder);
    }
    reading.position = PositionAt(scale, louder);
    return reading;
}

MixerValues ChannelsFromFader(const FaderScale& scale, int channels, int position, double balance) {
    const uint32_t volume = VolumeAt(scale, position);
    MixerValues values{volume, volume};
    if (channels > 1) {
        if (balance > 0)
            values[0] = static_cast<uint32_t>((1 - balance) * volume);
        else
            values[1] = static_cast<uint32_t>((1 + balance) * volume);
    }
    for (uint32_t& value : values)
        value += scale.minimum;
    return values;
}
