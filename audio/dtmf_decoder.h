#pragma once

#include "audio/dtmf_detector.h"

// Samples per detection block (about 37.4 ms at 8000 Hz).
constexpr int kDtmfBlockSamples = 299;

// Recognises the sixteen DTMF keys in 8000 Hz audio with eight Goertzel
// filters evaluated every 299 samples. Blocks run on across calls, so the
// audio may come in pieces of any size. A key press is handed to the key
// sink once, on the third consecutive block that shows the same key; the
// same key counts again only after a block without a key.
class CDtmfDecoder : public IDtmfDetector {
public:
    CDtmfDecoder();

    // Computes the filter coefficients and starts a new block. The last key
    // seen and its repeat count are kept.
    void Init() override;

    // Runs the filters over samples. gain[k] scales tone k's filter output
    // into level[k] (0 to 32768) at the end of each block. Returns true when
    // a key was present in a block that ended within these samples.
    bool Process(std::span<const int16_t> samples, const int gain[kDtmfTones],
                 int level[kDtmfTones]) override;

private:
    // Turns the filter state into levels, clears it and decides on a key.
    bool EvaluateBlock(const int gain[kDtmfTones], int level[kDtmfTones]);

    // Filter constants and state, one float per tone side by side, so the
    // per-sample update is a short vector loop.
    alignas(32) float cosine_[kDtmfTones];
    alignas(32) float sine_[kDtmfTones];
    alignas(32) float coefficient_[kDtmfTones];
    alignas(32) float q1_[kDtmfTones];
    alignas(32) float q2_[kDtmfTones];
    int32_t sampleCounter_ = 0;
    char lastKey_ = '-';
    int32_t repeatCount_ = 0;
};
