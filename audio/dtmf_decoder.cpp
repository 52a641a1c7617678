#include "audio/dtmf_decoder.h"

#include <algorithm>
#include <cmath>

namespace {

constexpr float kToneHz[kDtmfTones] = {697, 770, 852, 941, 1209, 1336, 1477, 1633};
// Row = low tone, column = high tone.
constexpr char kKeys[] = "123A456B789C*0#D";
// Both strongest tones must exceed kPresent and the tone displaced from the
// top of each group must stay below kDisplaced.
constexpr int kPresent = 20000;
constexpr int kDisplaced = 10000;
constexpr int kMaxLevel = 32768;
constexpr float kSampleScale = 1.0f / 65536.0f;

// Runs the eight Goertzel filters over n samples. The state is kept in
// locals so that it stays in vector registers for the whole run.
void RunFilters(const int16_t* s, size_t n, const float* coefficient, float* q1io, float* q2io) {
    float c[kDtmfTones], q1[kDtmfTones], q2[kDtmfTones];
    std::copy_n(coefficient, kDtmfTones, c);
    std::copy_n(q1io, kDtmfTones, q1);
    std::copy_n(q2io, kDtmfTones, q2);
    for (size_t i = 0; i < n; ++i) {
        const float x = float(s[i]) * kSampleScale;
        for (int k = 0; k < kDtmfTones; ++k) {
            const float v = c[k] * q1[k] - q2[k] + x;
            q2[k] = q1[k];
            q1[k] = v;
        }
    }
    std::copy_n(q1, kDtmfTones, q1io);
    std::copy_n(q2, kDtmfTones, q2io);
}

int LevelOf(int gain, float magnitude) {
    const float v = float(gain) * magnitude;
    if (!(v > 0.0f))
        return 0;
    if (v >= float(kMaxLevel))
        return kMaxLevel;
    return int(v);
}

// The strongest level of one group of four and the level it displaced while
// scanning from the left (0 when the first level is the strongest, so it is
// not necessarily the second largest). Ties keep the earlier tone.
struct GroupPeak {
    int max;
    int displaced;
    int index;
};

GroupPeak ScanGroup(const int* level) {
    GroupPeak peak{level[0], 0, 0};
    for (int k = 1; k < 4; ++k) {
        if (level[k] > peak.max) {
            peak.displaced = peak.max;
            peak.max = level[k];
            peak.index = k;
        }
    }
    return peak;
}

} // namespace

CDtmfDecoder::CDtmfDecoder() {
    Init();
}

void CDtmfDecoder::Init() {
    for (int k = 0; k < kDtmfTones; ++k) {
        const float omega = kToneHz[k] * 6.283185f / 8000.0f;
        cosine_[k] = std::cos(omega);
        sine_[k] = std::sin(omega);
        coefficient_[k] = 2.0f * cosine_[k];
        q1_[k] = 0.0f;
        q2_[k] = 0.0f;
    }
    sampleCounter_ = 0;
}

bool CDtmfDecoder::Process(std::span<const int16_t> samples, const int gain[kDtmfTones],
                           int level[kDtmfTones]) {
    bool keyPresent = false;
    const int16_t* s = samples.data();
    size_t left = samples.size();
    while (left > 0) {
        const size_t run = std::min(left, size_t(kDtmfBlockSamples - sampleCounter_));
        RunFilters(s, run, coefficient_, q1_, q2_);
        s += run;
        left -= run;
        sampleCounter_ += int(run);
        if (sampleCounter_ == kDtmfBlockSamples) {
            keyPresent |= EvaluateBlock(gain, level);
            sampleCounter_ = 0;
        }
    }
    return keyPresent;
}

bool CDtmfDecoder::EvaluateBlock(const int gain[kDtmfTones], int level[kDtmfTones]) {
    for (int k = 0; k < kDtmfTones; ++k) {
        const float re = q1_[k] - cosine_[k] * q2_[k];
        const float im = sine_[k] * q2_[k];
        const float magnitude = std::sqrt(re * re + im * im);
        q1_[k] = q2_[k] = 0.0f;
        level[k] = LevelOf(gain[k], magnitude);
    }
    const GroupPeak low = ScanGroup(level);
    const GroupPeak high = ScanGroup(level + 4);
    const bool present = low.max > kPresent && high.max > kPresent && high.displaced < kDisplaced &&
                         low.displaced < kDisplaced;
    if (!present) {
        lastKey_ = '-';
        return false;
    }
    const char key = kKeys[low.index * 4 + high.index];
    if (key == lastKey_) {
        // Counting stops past the press's third block, which is all that matters.
        if (repeatCount_ < 3)
            ++repeatCount_;
        if (repeatCount_ == 2)
            Emit(key);
    } else {
        lastKey_ = key;
        repeatCount_ = 0;
    }
    return true;
}
