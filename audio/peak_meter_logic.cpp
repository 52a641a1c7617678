#include "audio/peak_meter_logic.h"

#include <algorithm>

namespace {

constexpr int kFirstRedSegment = 7;
constexpr int kAlcBars = 8; // more bars than this lower the fader
constexpr int kAlcDivisor = 20;

} // namespace

int MeterBars(int level) {
    const int clamped = std::clamp(level, 0, kMeterFullScale);
    return clamped * kMeterSegments / kMeterFullScale;
}

MeterSegment MeterSegmentAt(int k, int clientHeight) {
    const int pitch = clientHeight / kMeterSegments;
    MeterSegment segment;
    segment.y = (kMeterSegments - k) * pitch;
    segment.height = pitch - 1;
    if (k < kFirstRedSegment) {
        // k * 100 / 7 - 101 taken modulo 256: 155, 169, ... 240.
        segment.colour.green = static_cast<uint8_t>(((k * 100 / 7 - 101) % 256 + 256) % 256);
    } else {
        segment.colour.red = 255;
    }
    return segment;
}

bool AlcApplies(int bars) {
    return bars > kAlcBars;
}

int AlcPosition(int position, int maximum) {
    return std::min(position + (maximum - position) / kAlcDivisor, maximum);
}
