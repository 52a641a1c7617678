#include "audio/sound_packet.h"

#include "audio/codec.h"
#include "audio/interpolate.h"
#include "protocol/debug_log.h"

#include <algorithm>

namespace {

constexpr int kInternalRate = 8000;

} // namespace

CSoundPacket::CSoundPacket() : encoded(kPacketEncodedBytes), samples(kPacketSamples) {}

CSoundPacket::CSoundPacket(const int16_t* data, int count)
    : encoded(kPacketEncodedBytes), sampleCount(std::max(count, 0)) {
    if (data)
        samples.assign(data, data + sampleCount);
    else
        samples.assign(sampleCount, 0);
}

CSoundPacket::CSoundPacket(int size, const uint8_t* bytes)
    : encodedSize(std::max(size, 0)), samples(kPacketSamples) {
    if (bytes)
        encoded.assign(bytes, bytes + encodedSize);
    else
        encoded.assign(encodedSize, 0);
}

CSoundPacket::CSoundPacket(std::unique_ptr<CMixInSound> sound)
    : encoded(kPacketEncodedBytes), samples(kPacketSamples), mixIn(std::move(sound)) {}

void CSoundPacket::SetEncodedSize(int n) {
    n = std::max(n, 0);
    if (n == encodedSize)
        return;
    encoded.resize(n);
    encodedSize = n;
}

void CSoundPacket::SetSampleCount(int n) {
    n = std::max(n, 0);
    if (n == sampleCount && HasSamples())
        return;
    samples.resize(n);
    sampleCount = n;
    takenCount_ = -1;
}

void CSoundPacket::ReplaceSamples(std::vector<int16_t> buffer) {
    samples = std::move(buffer);
    sampleCount = int32_t(samples.size());
    takenCount_ = -1;
}

std::vector<int16_t> CSoundPacket::TakeSamples() {
    std::vector<int16_t> taken = std::move(samples);
    samples.clear();
    takenCount_ = sampleCount;
    sampleCount = 0;
    return taken;
}

void CSoundPacket::MeasurePeak(int threshold) {
    if (!HasSamples())
        return;
    int16_t highest = 0;
    for (const int16_t s : samples)
        highest = std::max(highest, s);
    peak = highest;
    if (threshold != 0)
        silent = peak <= threshold;
}

void CSoundPacket::ZeroIfSilent() {
    if (!silent)
        return;
    if (!HasSamples()) {
        DebugLog("ERRROROR !!! Writing to NULL %d\n", takenCount_);
        return;
    }
    std::fill(samples.begin(), samples.end(), int16_t(0));
}

void CSoundPacket::EncodeAmr() {
    if (silent)
        return;
    CCodec codec;
    const int frames = sampleCount / kFrameSamples;
    // Two bytes per sample is ample room for 32 bytes per 160 samples; the
    // buffer is cut to the bytes written at the end.
    encoded.resize(size_t(2) * size_t(sampleCount));
    int position = 0;
    for (int k = 0; k < frames; ++k) {
        int size = 0;
        codec.EncodeAmr(encoded.data() + position, samples.data() + k * kFrameSamples, size);
        position += size;
    }
    encoded.resize(position);
    encodedSize = position;
}

void CSoundPacket::DecodeAmr() {
    peak = 0;
    if (silent)
        return;
    // Count the frames that can be decoded before touching the samples, so
    // that the buffer is sized once and exactly.
    int frames = 0;
    for (int p = 0; p < encodedSize && frames < kMaxDecodedFrames; ++frames) {
        const int size = AmrFrameSize(encoded[p]);
        if (size == 0 || size > encodedSize - p)
            break;
        p += size;
    }
    samples.resize(size_t(frames) * kFrameSamples);
    sampleCount = frames * kFrameSamples;
    takenCount_ = -1;

    CCodec codec;
    int position = 0;
    for (int k = 0; k < frames; ++k) {
        int size = 0;
        codec.DecodeAmr(encoded.data() + position, encodedSize - position,
                        samples.data() + k * kFrameSamples, size);
        position += size;
    }
}

void CSoundPacket::ConvertTo8k(int rate) {
    if (rate == kInternalRate || rate <= 0)
        return;
    // Positions past the end of a short input buffer read its last sample.
    const int last = sampleCount - 1;
    auto at = [&](int k) { return last < 0 ? 0 : int(samples[std::min(k, last)]); };
    std::vector<int16_t> out(kPacketSamples);
    for (int i = 0; i < kPacketSamples; ++i) {
        const float position = float(double(i) / 8000.0) * float(rate);
        out[i] = InterpolateAt(position, at);
    }
    ReplaceSamples(std::move(out));
}

void CSoundPacket::ConvertFrom8k(int rate) {
    if (rate == kInternalRate || rate <= 0)
        return;
    // The interpolation near the end asks for the sample after the last one;
    // the last sample stands in for it, so the tail holds its value.
    const int last = sampleCount - 1;
    auto at = [&](int k) { return last < 0 ? 0 : int(samples[std::min(k, last)]); };
    const int n = int(int64_t(rate) * kPacketSamples / kInternalRate);
    std::vector<int16_t> out(n);
    for (int i = 0; i < n; ++i) {
        const float position = float(double(i) / double(rate)) * 8000.0f;
        out[i] = InterpolateAt(position, at);
    }
    ReplaceSamples(std::move(out));
}
