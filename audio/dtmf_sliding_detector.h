#pragma once

#include "audio/dtmf_detector.h"

#include <array>
#include <complex>

// Samples per half window (6.6 ms at 8000 Hz); a decision every half window.
constexpr int kDtmfHalfWindow = 53;
// Samples per analysis window (13.25 ms): the eight Goertzel bins are 75 Hz
// apart, so each neighbouring tone of a group falls near a null.
constexpr int kDtmfWindow = 2 * kDtmfHalfWindow;

// Recognises the sixteen DTMF keys in 8000 Hz audio, short keys included:
// 40 ms of tone with 40 ms of pause is plenty, tones under 25 ms are not
// taken. Each tone may lie from -34 dBm0 up (a full-scale sine being
// +3.14 dBm0, as in G.711), 8 dB above or below the other (12 dB are
// allowed), and 2% off its nominal frequency.
//
// Twelve Goertzel filters (the eight tones and the second harmonics of the
// high ones) run over half windows of 53 samples; every half window the
// last two halves are joined into one 106-sample window, which is tested
// for a key: the strongest tone of each group, both strong enough, within
// 12 dB of each other, 4 dB above the rest of their group, little at the
// high tone's second harmonic (which voices and instruments have), and
// together most of the window's energy. A tone's phase advance from one
// window to the next gives its frequency, so the energy test allows for
// what an off-centre tone loses in its bin.
//
// A key is taken once four windows in a row show it, its tones hold 90% of
// those windows' energy (which a tone shorter than the four windows cannot)
// and their phase advance over the four windows puts both within 2% of
// their nominal frequencies. It is released after three windows without
// it, so the same key then counts again.
//
// The gains scale only the meter levels (as with CDtmfDecoder, a centred
// sine of amplitude A gives gain * A * 299 / 131072); detection works on
// the audio as it is.
class CDtmfSlidingDetector : public IDtmfDetector {
public:
    CDtmfSlidingDetector();

    // Clears the filters, the window history and the key held.
    void Init() override;
    bool Process(std::span<const int16_t> samples, const int gain[kDtmfTones],
                 int level[kDtmfTones]) override;

private:
    // Tone indexes of a key candidate, -1 when there is none.
    struct Candidate {
        int low = -1, high = -1;
        bool Present() const { return low >= 0; }
        bool operator==(const Candidate&) const = default;
    };
    static constexpr int kConfirmWindows = 4;
    // Filters: the eight tones, then the second harmonics of the high ones.
    static constexpr int kLanes = kDtmfTones + 4;

    // Finishes a half window: joins it to the one before, updates the
    // levels and the key state. True when the window held a key's tones.
    bool EndHalfWindow(const int gain[kDtmfTones], int level[kDtmfTones]);
    Candidate Classify() const;
    // Over the last kConfirmWindows windows: both of the candidate's tones
    // lie within the frequency tolerance and hold nearly all the energy.
    bool Confirmed(const Candidate& c) const;
    // Tone k's phase advance per half window over the last kConfirmWindows
    // windows, in radians.
    float ConfirmedAdvance(int k) const;
    // The phase advance of tone k over `hops` half windows up to the
    // current window, in radians (wrapped).
    float PhaseAdvance(int k, int hops) const;
    const std::complex<float>& Window(int k, int back) const;

    // Filter constants and state, one float per filter side by side.
    alignas(32) float coefficient_[kLanes];
    alignas(32) float q1_[kLanes];
    alignas(32) float q2_[kLanes];
    float sum_ = 0, sumSquares_ = 0;
    int sampleCounter_ = 0;

    // e^(-j w) and e^(-j w H) per filter: to finish a half window, and to
    // join two half windows and compare windows a hop apart.
    std::complex<float> finish_[kLanes];
    std::complex<float> hop_[kLanes];

    // The previous half window: its filter outputs, sum and energy.
    std::complex<float> lastHalf_[kLanes];
    float lastSum_ = 0, lastSquares_ = 0;
    int halvesSeen_ = 0;
    // The last kConfirmWindows windows, newest at `newest_`: per filter,
    // and the window's energy (DC removed).
    std::array<std::array<std::complex<float>, kLanes>, kConfirmWindows> windows_{};
    std::array<float, kConfirmWindows> energy_{};
    int newest_ = 0;

    Candidate run_;
    int runLength_ = 0;
    Candidate held_;
    int missing_ = 0;
};
