#pragma once

#include "audio/mixin_sound.h"

#include <cstdint>
#include <memory>
#include <vector>

// Samples in one packet: 200 ms at 8000 Hz, ten codec frames.
constexpr int kPacketSamples = 1600;
// Initial size of the encoded buffer (the size of ten GSM frames).
constexpr int kPacketEncodedBytes = 330;
// Most frames decoded from one received payload (ten seconds of sound).
constexpr int kMaxDecodedFrames = 500;

// The unit of audio that moves between capture, the network and playback:
// 8000 Hz 16-bit mono samples and their AMR-NB encoding.
//
// Invariant: samples.size() == sampleCount and encoded.size() == encodedSize
// after every operation. Playback takes the sample buffer with TakeSamples();
// the packet then has no sample buffer (HasSamples() is false, sampleCount 0)
// until SetSampleCount or DecodeAmr gives it a new one.
class CSoundPacket {
public:
    // 1600 zero samples and 330 zero bytes.
    CSoundPacket();
    // A copy of count samples from data, or count zero samples when data is null.
    CSoundPacket(const int16_t* data, int count);
    // A copy of size encoded bytes; 1600 zero samples.
    CSoundPacket(int size, const uint8_t* bytes);
    // A marker that asks playback to start `sound` at this point of the
    // stream. The marker owns the sound until playback takes it.
    explicit CSoundPacket(std::unique_ptr<CMixInSound> sound);
    virtual ~CSoundPacket() = default;

    CSoundPacket(const CSoundPacket&) = delete;
    CSoundPacket& operator=(const CSoundPacket&) = delete;
    CSoundPacket(CSoundPacket&&) = default;
    CSoundPacket& operator=(CSoundPacket&&) = default;

    void SetEncodedSize(int n);
    void SetSampleCount(int n);

    // Sets peak to the largest positive sample (0 or more). A non-zero
    // threshold also sets silent to (peak <= threshold).
    void MeasurePeak(int threshold);
    // Zeroes the samples of a silent packet.
    void ZeroIfSilent();

    // Encodes whole 160-sample frames into `encoded` (a trailing part of a
    // frame is dropped). A silent packet is left as it is.
    void EncodeAmr();
    // Decodes `encoded` into `samples` and resets peak. A silent packet keeps
    // its samples. Decoding stops at the 500th frame, at a frame type 9 to 14
    // and at a frame cut short by the end of the payload.
    void DecodeAmr();

    // Resamples from the device rate to 1600 samples at 8000 Hz.
    void ConvertTo8k(int rate);
    // Resamples 1600 samples at 8000 Hz to rate * 1600 / 8000 samples.
    void ConvertFrom8k(int rate);

    // Hands the sample buffer to the caller; the packet keeps no samples.
    std::vector<int16_t> TakeSamples();
    bool HasSamples() const { return takenCount_ < 0; }

    int32_t encodedSize = kPacketEncodedBytes;
    std::vector<uint8_t> encoded;
    int32_t sampleCount = kPacketSamples;
    std::vector<int16_t> samples;
    std::unique_ptr<CMixInSound> mixIn;
    int32_t peak = 0;
    bool silent = false;

private:
    // Replaces the sample buffer.
    void ReplaceSamples(std::vector<int16_t> buffer);

    // Number of samples taken by TakeSamples, or -1 while the packet has its buffer.
    int32_t takenCount_ = -1;
};
