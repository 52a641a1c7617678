#include "audio/dtmf_sliding_detector.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace {

constexpr float kToneHz[kDtmfTones] = {697, 770, 852, 941, 1209, 1336, 1477, 1633};
// Row = low tone, column = high tone.
constexpr char kKeys[] = "123A456B789C*0#D";
constexpr float kSampleRate = 8000;
constexpr float kPi = std::numbers::pi_v<float>;

// Levels in dBm0: a full-scale sine (amplitude 32768) is +3.14 dBm0.
constexpr double kFullScaleDbm0 = 3.14;
// A window's power in a tone's bin for a centred sine of that level.
float BinPowerAt(double dbm0) {
    const double amplitude = 32768.0 * std::pow(10.0, (dbm0 - kFullScaleDbm0) / 20.0);
    const double magnitude = amplitude * kDtmfWindow / 2;
    return float(magnitude * magnitude);
}

// Each tone of a key above -36 dBm0, so that keys from -34 dBm0 up are heard.
const float kMinPower = BinPowerAt(-36.0);
// The two tones within 12 dB of each other: 8 dB of twist, and what the
// stronger tone's sidelobe adds to or takes from the weaker one's bin.
constexpr float kMaxTwist = 15.85f;
// The other tones of each group at least 4 dB below its strongest.
constexpr float kMaxNeighbour = 0.4f;
// The high tone's second harmonic at least 15 dB below it. (A low tone's
// harmonic, 1394 to 1882 Hz, may lie next to the key's high tone.)
constexpr float kMaxHarmonic = 0.0316f;
// The two tones at least this part of a window's energy (DC removed), and of
// the energy of the windows that confirm a key.
constexpr float kMinShare = 0.7f;
constexpr float kMinKeyShare = 0.9f;
// A window's tone more than 3% off its nominal frequency is no tone of a
// key; over the confirming windows, 2%.
constexpr float kWindowTolerance = 0.03f;
constexpr float kKeyTolerance = 0.02f;
constexpr int kReleaseWindows = 3;

// Converts a window magnitude to the level of the 299-sample detector's
// meters, whose filters see samples / 65536.
constexpr float kLevelScale = 299.0f / (kDtmfWindow * 65536.0f);
constexpr int kMaxLevel = 32768;

// Filter k < 8 is tone k, filter 8 + k the second harmonic of high tone k.
float LaneHz(int lane) {
    return lane < kDtmfTones ? kToneHz[lane] : 2 * kToneHz[lane - 4];
}

float Omega(int lane) {
    return 2 * kPi * LaneHz(lane) / kSampleRate;
}

// The phase advance per half window of a tone `tolerance` off lane k.
float AdvanceAt(float tolerance, int lane) {
    return tolerance * Omega(lane) * kDtmfHalfWindow;
}

// Runs the Goertzel filters and the sums over n samples, with the state in
// locals so that it stays in vector registers.
template <int lanes>
void RunFilters(const int16_t* s, size_t n, const float* coefficient, float* q1io, float* q2io,
                float& sum, float& sumSquares) {
    float c[lanes], q1[lanes], q2[lanes];
    std::copy_n(coefficient, lanes, c);
    std::copy_n(q1io, lanes, q1);
    std::copy_n(q2io, lanes, q2);
    float total = sum, squares = sumSquares;
    for (size_t i = 0; i < n; ++i) {
        const float x = float(s[i]);
        total += x;
        squares += x * x;
        for (int k = 0; k < lanes; ++k) {
            const float v = c[k] * q1[k] + (x - q2[k]);
            q2[k] = q1[k];
            q1[k] = v;
        }
    }
    std::copy_n(q1, lanes, q1io);
    std::copy_n(q2, lanes, q2io);
    sum = total;
    sumSquares = squares;
}

int LevelOf(int gain, float magnitude) {
    const float v = float(gain) * magnitude * kLevelScale;
    if (!(v > 0.0f))
        return 0;
    if (v >= float(kMaxLevel))
        return kMaxLevel;
    return int(v);
}

// The part of a centred tone's bin magnitude that a tone keeps when its
// phase advances by `advance` per half window more than the bin's.
float BinResponse(float advance) {
    if (std::fabs(advance) < 1e-4f)
        return 1.0f;
    return std::sin(advance) / (kDtmfWindow * std::sin(advance / (2 * kDtmfHalfWindow)));
}

// The most a window's tone power is raised for being off centre: that of a
// 1633 Hz tone at the key tolerance.
const float kMaxGain = 1 / std::pow(BinResponse(AdvanceAt(kKeyTolerance, 7)), 2.0f);

// The strongest of four powers, or -1 when another of them is not far
// enough below it.
int Strongest(const float* power) {
    const int top = int(std::max_element(power, power + 4) - power);
    for (int k = 0; k < 4; ++k)
        if (k != top && power[k] > power[top] * kMaxNeighbour)
            return -1;
    return top;
}

} // namespace

CDtmfSlidingDetector::CDtmfSlidingDetector() {
    for (int k = 0; k < kLanes; ++k) {
        const float omega = Omega(k);
        coefficient_[k] = 2 * std::cos(omega);
        finish_[k] = std::polar(1.0f, -omega);
        hop_[k] = std::polar(1.0f, -omega * kDtmfHalfWindow);
    }
    Init();
}

void CDtmfSlidingDetector::Init() {
    std::fill_n(q1_, kLanes, 0.0f);
    std::fill_n(q2_, kLanes, 0.0f);
    sum_ = sumSquares_ = 0;
    sampleCounter_ = 0;
    std::fill_n(lastHalf_, kLanes, std::complex<float>());
    lastSum_ = lastSquares_ = 0;
    halvesSeen_ = 0;
    windows_ = {};
    energy_ = {};
    newest_ = 0;
    run_ = held_ = Candidate();
    runLength_ = missing_ = 0;
}

bool CDtmfSlidingDetector::Process(std::span<const int16_t> samples, const int gain[kDtmfTones],
                                   int level[kDtmfTones]) {
    bool keyPresent = false;
    const int16_t* s = samples.data();
    size_t left = samples.size();
    while (left > 0) {
        const size_t run = std::min(left, size_t(kDtmfHalfWindow - sampleCounter_));
        RunFilters<kLanes>(s, run, coefficient_, q1_, q2_, sum_, sumSquares_);
        s += run;
        left -= run;
        sampleCounter_ += int(run);
        if (sampleCounter_ == kDtmfHalfWindow) {
            keyPresent |= EndHalfWindow(gain, level);
            sampleCounter_ = 0;
        }
    }
    return keyPresent;
}

bool CDtmfSlidingDetector::EndHalfWindow(const int gain[kDtmfTones], int level[kDtmfTones]) {
    std::complex<float> half[kLanes];
    for (int k = 0; k < kLanes; ++k) {
        // The filter output at the last sample, relative to the half's start.
        half[k] = q1_[k] - finish_[k] * q2_[k];
        q1_[k] = q2_[k] = 0.0f;
    }
    const bool whole = ++halvesSeen_ >= 2;
    if (whole) {
        newest_ = (newest_ + 1) % kConfirmWindows;
        for (int k = 0; k < kLanes; ++k)
            windows_[newest_][k] = lastHalf_[k] + hop_[k] * half[k];
        for (int k = 0; k < kDtmfTones; ++k)
            level[k] = LevelOf(gain[k], std::sqrt(std::norm(windows_[newest_][k])));
        const float sum = lastSum_ + sum_;
        energy_[newest_] = std::max(lastSquares_ + sumSquares_ - sum * sum / kDtmfWindow, 0.0f);
    }
    std::copy_n(half, kLanes, lastHalf_);
    lastSum_ = sum_;
    lastSquares_ = sumSquares_;
    sum_ = sumSquares_ = 0;
    if (!whole)
        return false;

    const Candidate c = Classify();
    if (c.Present() && c == run_) {
        ++runLength_;
    } else {
        run_ = c;
        runLength_ = c.Present() ? 1 : 0;
    }
    if (held_.Present()) {
        if (c == held_)
            missing_ = 0;
        else if (++missing_ >= kReleaseWindows)
            held_ = Candidate();
    }
    if (!held_.Present() && runLength_ >= kConfirmWindows && Confirmed(c)) {
        held_ = c;
        missing_ = 0;
        Emit(kKeys[c.low * 4 + c.high - 4]);
    }
    return c.Present();
}

CDtmfSlidingDetector::Candidate CDtmfSlidingDetector::Classify() const {
    float power[kLanes];
    for (int k = 0; k < kLanes; ++k)
        power[k] = std::norm(Window(k, 0));
    const int low = Strongest(power);
    const int high = Strongest(power + 4);
    if (low < 0 || high < 0 || power[low] * kMaxGain < kMinPower ||
        power[high + 4] * kMaxGain < kMinPower)
        return {};

    // Each tone's power as if centred in its bin, from its phase advance
    // since the window before.
    float tone[2];
    const int index[2] = {low, high + 4};
    for (int t = 0; t < 2; ++t) {
        const int k = index[t];
        const float advance = PhaseAdvance(k, 1);
        if (std::fabs(advance) > AdvanceAt(kWindowTolerance, k))
            return {};
        // A partly covered window seems off frequency: what it may gain is
        // capped at a tone's loss at the key tolerance.
        const float limit = AdvanceAt(kKeyTolerance, k);
        const float response = BinResponse(std::clamp(advance, -limit, limit));
        tone[t] = power[k] / (response * response);
        if (tone[t] < kMinPower)
            return {};
    }
    if (tone[0] > tone[1] * kMaxTwist || tone[1] > tone[0] * kMaxTwist)
        return {};
    if (power[kDtmfTones + high] > tone[1] * kMaxHarmonic)
        return {};
    // A centred sine of amplitude A has bin power (A N / 2)^2 and energy N A^2 / 2.
    if (2 * (tone[0] + tone[1]) < kMinShare * kDtmfWindow * energy_[newest_])
        return {};
    return {low, high + 4};
}

bool CDtmfSlidingDetector::Confirmed(const Candidate& c) const {
    float tones = 0, energy = 0;
    for (int k : {c.low, c.high}) {
        const float advance = ConfirmedAdvance(k);
        if (std::fabs(advance) > AdvanceAt(kKeyTolerance, k))
            return false;
        const float response = BinResponse(advance);
        for (int back = 0; back < kConfirmWindows; ++back)
            tones += std::norm(Window(k, back)) / (response * response);
    }
    for (float e : energy_)
        energy += e;
    return 2 * tones >= kMinKeyShare * kDtmfWindow * energy;
}

float CDtmfSlidingDetector::ConfirmedAdvance(int k) const {
    // The advance over one hop, averaged, settles which turn the advance
    // over all hops (the finer measure) is in.
    constexpr int hops = kConfirmWindows - 1;
    std::complex<float> perHop;
    for (int back = 0; back < hops; ++back)
        perHop += Window(k, back) * std::conj(Window(k, back + 1));
    const float coarse = std::arg(perHop * hop_[k]);
    const float fine = PhaseAdvance(k, hops);
    const float turns = std::round((coarse * hops - fine) / (2 * kPi));
    return (fine + 2 * kPi * turns) / hops;
}

float CDtmfSlidingDetector::PhaseAdvance(int k, int hops) const {
    std::complex<float> rotation = 1.0f;
    for (int i = 0; i < hops; ++i)
        rotation *= hop_[k];
    return std::arg(Window(k, 0) * std::conj(Window(k, hops)) * rotation);
}

const std::complex<float>& CDtmfSlidingDetector::Window(int k, int back) const {
    return windows_[(newest_ - back + kConfirmWindows) % kConfirmWindows][k];
}
