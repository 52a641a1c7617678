#include "audio/mixin_sound.h"

#include "audio/interpolate.h"

#include <cmath>
#include <cstring>
#include <fcntl.h>
#include <optional>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

constexpr int kRate = 8000;
constexpr float kTwoPi = 6.28318530718f;
// Longest sound LoadWave makes (one hour), and the most frames it reads from
// a file; both keep a hostile header from asking for gigabytes or overflowing
// the frame index.
constexpr uint64_t kMaxLoadedSamples = 3600ull * kRate;
constexpr uint64_t kMaxFileFrames = 1ull << 30;

size_t SamplesFor(int durationMs) {
    const int64_t n = int64_t(durationMs) * kRate / 1000;
    return n > 0 ? size_t(n) : 0;
}

// The integer part of v as a 16-bit sample, clamped to the sample range.
int16_t TruncateToSample(float v) {
    if (v >= 32767.0f)
        return 32767;
    if (v <= -32768.0f)
        return -32768;
    return int16_t(v);
}

uint16_t Le16(const uint8_t* p) {
    return uint16_t(p[0] | p[1] << 8);
}
uint32_t Le32(const uint8_t* p) {
    return uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 | uint32_t(p[3]) << 24;
}

// A whole file mapped read-only; empty when it cannot be opened or mapped.
class CMappedFile {
public:
    explicit CMappedFile(const std::string& path) {
        const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
        if (fd < 0)
            return;
        struct stat st;
        if (::fstat(fd, &st) == 0 && S_ISREG(st.st_mode) && st.st_size > 0) {
            void* p = ::mmap(nullptr, size_t(st.st_size), PROT_READ, MAP_PRIVATE, fd, 0);
            if (p != MAP_FAILED) {
                data_ = static_cast<const uint8_t*>(p);
                size_ = size_t(st.st_size);
            }
        }
        ::close(fd);
    }
    ~CMappedFile() {
        if (data_)
            ::munmap(const_cast<uint8_t*>(data_), size_);
    }
    CMappedFile(const CMappedFile&) = delete;
    CMappedFile& operator=(const CMappedFile&) = delete;

    const uint8_t* data() const { return data_; }
    size_t size() const { return size_; }

private:
    const uint8_t* data_ = nullptr;
    size_t size_ = 0;
};

struct Chunk {
    size_t body;     // offset of the chunk's data
    uint32_t length; // bytes of data inside the file
    size_t next;     // offset of the following chunk header
};

// Steps from chunk to chunk, starting with the header at offset from, until
// the chunk named id. Chunks are padded to an even length. A chunk whose
// length runs past the end of the file ends the search, except that the
// chunk searched for may be cut short when clipToFile is set (a recording
// that was never finished): it is then read up to the end of the file.
std::optional<Chunk> FindChunk(const CMappedFile& file, size_t from, const char* id,
                               bool clipToFile) {
    const size_t size = file.size();
    size_t pos = from;
    while (pos <= size && size - pos >= 8) {
        const uint8_t* header = file.data() + pos;
        const size_t body = pos + 8;
        uint32_t length = Le32(header + 4);
        const bool fits = length <= size - body;
        if (std::memcmp(header, id, 4) == 0) {
            if (!fits && !clipToFile)
                return std::nullopt;
            if (!fits)
                length = uint32_t(size - body);
            return Chunk{body, length, body + length + (length & 1)};
        }
        if (!fits)
            return std::nullopt;
        pos = body + length + (length & 1);
    }
    return std::nullopt;
}

} // namespace

void CMixInSound::MakeTone(int frequency, int durationMs, int volume, int riseMs, int fallMs) {
    const int64_t n = int64_t(SamplesFor(durationMs));
    const int64_t rise = int64_t(SamplesFor(riseMs));
    const int64_t fall = int64_t(SamplesFor(fallMs));
    samples.assign(size_t(n), 0);
    // A frequency of 0 has no period; it gives silence.
    const float omega = frequency != 0 ? kTwoPi / (float(kRate) / float(frequency)) : 0.0f;
    for (int64_t i = 0; i < n; ++i) {
        float phase = float(i) * omega;
        phase -= std::floor(phase / kTwoPi) * kTwoPi;
        float v = std::sin(phase) * float(volume);
        if (i < rise)
            v = float(i) * v / float(rise);
        if (i > n - fall)
            v = float(n - i) * v / float(fall);
        samples[size_t(i)] = TruncateToSample(v + 0.5f);
    }
}

void CMixInSound::MakeSilence(int durationMs) {
    samples.assign(SamplesFor(durationMs), 0);
}

void CMixInSound::Append(const CMixInSound& other) {
    samples.insert(samples.end(), other.samples.begin(), other.samples.end());
}

bool CMixInSound::LoadWave(const std::string& path) {
    samples.clear();
    const CMappedFile file(path);
    if (file.size() < 12 || std::memcmp(file.data(), "RIFF", 4) != 0 ||
        std::memcmp(file.data() + 8, "WAVE", 4) != 0)
        return false;

    const std::optional<Chunk> fmt = FindChunk(file, 12, "fmt ", false);
    if (!fmt || fmt->length < 16)
        return false;
    const uint8_t* f = file.data() + fmt->body;
    const uint16_t formatTag = Le16(f);
    const uint16_t channels = Le16(f + 2);
    const uint32_t rate = Le32(f + 4);
    const uint16_t bits = Le16(f + 14);
    if (formatTag != 1 || channels == 0 || rate == 0)
        return false;
    if (bits != 8 && bits != 16 && bits != 24 && bits != 32)
        return false;

    const std::optional<Chunk> data = FindChunk(file, fmt->next, "data", true);
    if (!data)
        return false;

    const size_t sampleBytes = bits / 8;
    const size_t frameBytes = sampleBytes * channels;
    // A file without a whole frame fails, even where resampling would make
    // one sample of it.
    const uint64_t frames = data->length / frameBytes;
    if (frames == 0 || frames > kMaxFileFrames)
        return false;
    const uint8_t* base = file.data() + data->body;
    // The first channel of frame k: 8-bit samples are unsigned and scaled to
    // 15 bits, wider ones keep their top 16 bits. Frames past the end read 0.
    auto frameAt = [&](int64_t k) -> int {
        if (k < 0 || uint64_t(k) >= frames)
            return 0;
        const uint8_t* p = base + size_t(k) * frameBytes;
        if (sampleBytes == 1)
            return (int(p[0]) - 128) * 128;
        return int16_t(Le16(p + sampleBytes - 2));
    };

    if (rate == kRate) {
        if (frames > kMaxLoadedSamples)
            return false;
        samples.resize(size_t(frames));
        for (size_t i = 0; i < samples.size(); ++i)
            samples[i] = int16_t(frameAt(int64_t(i)));
    } else {
        const uint64_t n = frames * kRate / rate + 1;
        if (n > kMaxLoadedSamples)
            return false;
        samples.resize(size_t(n));
        const float rateF = float(rate);
        for (size_t i = 0; i < samples.size(); ++i) {
            const float position = float(double(i) / double(kRate)) * rateF;
            samples[i] = InterpolateAt(position, frameAt);
        }
    }
    return !samples.empty();
}
