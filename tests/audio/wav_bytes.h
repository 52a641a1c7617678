#pragma once

// Helpers for the audio tests: WAV files assembled byte by byte, and a
// scratch directory.

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <initializer_list>
#include <string>
#include <utility>
#include <vector>

using Bytes = std::vector<uint8_t>;

inline void PutLe(Bytes& b, uint32_t v, int bytes) {
    for (int i = 0; i < bytes; ++i)
        b.push_back(uint8_t(v >> (8 * i)));
}

// A chunk: id, the length field (the body's size unless a lying one is
// given), the body and its pad byte.
inline Bytes Chunk(const char* id, const Bytes& body, int64_t length = -1) {
    Bytes b(id, id + 4);
    PutLe(b, uint32_t(length < 0 ? body.size() : length), 4);
    b.insert(b.end(), body.begin(), body.end());
    if (length < 0 && body.size() % 2)
        b.push_back(0);
    return b;
}

inline Bytes FmtBody(uint16_t formatTag, uint16_t channels, uint32_t rate, uint16_t bits) {
    Bytes b;
    const uint32_t align = channels * ((bits + 7) / 8);
    for (auto [value, size] : {std::pair<uint32_t, int>{formatTag, 2},
                               {channels, 2},
                               {rate, 4},
                               {rate * align, 4},
                               {align, 2},
                               {bits, 2}})
        PutLe(b, value, size);
    return b;
}

inline Bytes Riff(std::initializer_list<Bytes> chunks) {
    Bytes body = {'W', 'A', 'V', 'E'};
    for (const Bytes& c : chunks)
        body.insert(body.end(), c.begin(), c.end());
    return Chunk("RIFF", body, int64_t(body.size()));
}

inline Bytes PcmWav(uint16_t channels, uint32_t rate, uint16_t bits, const Bytes& data) {
    return Riff({Chunk("fmt ", FmtBody(1, channels, rate, bits)), Chunk("data", data)});
}

inline Bytes Le16Samples(const std::vector<int16_t>& samples) {
    Bytes b;
    for (int16_t s : samples)
        PutLe(b, uint16_t(s), 2);
    return b;
}

inline void WriteBytes(const std::string& path, const Bytes& bytes) {
    std::ofstream(path, std::ios::binary)
        .write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
}

inline Bytes ReadBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return Bytes(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// A fresh directory under the temporary directory, removed with its contents.
class TempDir {
public:
    TempDir() {
        std::string pattern = std::filesystem::temp_directory_path() / "tavro-audio-XXXXXX";
        if (::mkdtemp(pattern.data()))
            path_ = pattern;
    }
    ~TempDir() {
        std::error_code ignored;
        std::filesystem::remove_all(path_, ignored);
    }
    std::string operator/(const std::string& name) const { return path_ + "/" + name; }

private:
    std::string path_;
};
