#pragma once

#include <cmath>
#include <cstdint>

// The sample at a fractional position of a sound: the nearest sample when the
// position lies within 0.01 of it, otherwise the linear interpolation between
// the two neighbours, rounded half away from zero. All in single precision, so
// that resampled sound comes out bit for bit the same everywhere.
// sampleAt(k) returns sample k as an int (callers decide what lies past the end).
template <class SampleAt>
int16_t InterpolateAt(float position, SampleAt&& sampleAt) {
    const int nearest = int(position + 0.5f);
    if (std::fabs(position - float(nearest)) < 0.01f)
        return int16_t(sampleAt(nearest));
    const int k = int(std::floor(position));
    const float a = float(sampleAt(k));
    const float b = float(sampleAt(k + 1));
    const float v = a + (b - a) * (position - float(k));
    return int16_t(v >= 0 ? int(v + 0.5f) : int(v - 0.5f));
}
