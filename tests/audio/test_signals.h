#pragma once

#include <cmath>
#include <cstdint>
#include <vector>

// A sine tone at 8000 Hz, continuing from sample `start` so that successive
// calls build one continuous tone.
inline std::vector<int16_t> SineAt8k(double frequency, double amplitude, int count, int start = 0) {
    std::vector<int16_t> out(count);
    for (int i = 0; i < count; ++i)
        out[i] =
            int16_t(std::lround(amplitude * std::sin(2 * M_PI * frequency * (start + i) / 8000.0)));
    return out;
}

inline int ZeroCrossings(const int16_t* s, int count) {
    int crossings = 0;
    for (int i = 1; i < count; ++i)
        if ((s[i - 1] < 0) != (s[i] < 0))
            ++crossings;
    return crossings;
}

inline double Rms(const int16_t* s, int count) {
    double sum = 0;
    for (int i = 0; i < count; ++i)
        sum += double(s[i]) * s[i];
    return count > 0 ? std::sqrt(sum / count) : 0;
}
