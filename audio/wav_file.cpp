#include "audio/wav_file.h"

#include <cstring>
#include <vector>

namespace {

constexpr uint32_t kRate = 8000;
constexpr size_t kHeaderBytes = 44;
// The RIFF length counts everything after its own field.
constexpr uint32_t kMaxDataBytes = 0xFFFFFFFFu - (kHeaderBytes - 8);

void PutLe16(uint8_t* p, uint32_t v) {
    p[0] = uint8_t(v);
    p[1] = uint8_t(v >> 8);
}

void PutLe32(uint8_t* p, uint32_t v) {
    PutLe16(p, v);
    PutLe16(p + 2, v >> 16);
}

void MakeHeader(uint8_t* h, uint32_t dataBytes) {
    std::memcpy(h, "RIFF", 4);
    PutLe32(h + 4, uint32_t(kHeaderBytes - 8) + dataBytes);
    std::memcpy(h + 8, "WAVEfmt ", 8);
    PutLe32(h + 16, 16);        // fmt chunk length
    PutLe16(h + 20, 1);         // PCM
    PutLe16(h + 22, 1);         // mono
    PutLe32(h + 24, kRate);     // frames per second
    PutLe32(h + 28, kRate * 2); // bytes per second
    PutLe16(h + 32, 2);         // bytes per frame
    PutLe16(h + 34, 16);        // bits per sample
    std::memcpy(h + 36, "data", 4);
    PutLe32(h + 40, dataBytes);
}

} // namespace

CWaveFileWriter::~CWaveFileWriter() {
    Close();
}

bool CWaveFileWriter::Open(const std::string& path) {
    Close();
    file_ = std::fopen(path.c_str(), "wb");
    if (!file_)
        return false;
    uint8_t header[kHeaderBytes];
    MakeHeader(header, 0);
    dataBytes_ = 0;
    ok_ = std::fwrite(header, 1, kHeaderBytes, file_) == kHeaderBytes;
    return ok_;
}

bool CWaveFileWriter::WriteHeader() {
    uint8_t header[kHeaderBytes];
    MakeHeader(header, dataBytes_);
    return std::fseek(file_, 0, SEEK_SET) == 0 &&
           std::fwrite(header, 1, kHeaderBytes, file_) == kHeaderBytes;
}

bool CWaveFileWriter::Write(std::span<const int16_t> samples) {
    if (!file_ || !ok_)
        return false;
    if (samples.size() > (kMaxDataBytes - dataBytes_) / 2) {
        ok_ = false;
        return false;
    }
    if (samples.empty())
        return true; // nothing to write (and fwrite must not see a null buffer)
    std::vector<uint8_t> bytes(samples.size() * 2);
    for (size_t i = 0; i < samples.size(); ++i)
        PutLe16(&bytes[2 * i], uint16_t(samples[i]));
    ok_ = std::fwrite(bytes.data(), 1, bytes.size(), file_) == bytes.size();
    if (ok_)
        dataBytes_ += uint32_t(bytes.size());
    return ok_;
}

bool CWaveFileWriter::Flush() {
    if (!file_ || !ok_)
        return false;
    // The data reaches the file before the header that counts it, so the
    // header never claims bytes that are not there yet.
    ok_ = std::fflush(file_) == 0 && WriteHeader() && std::fflush(file_) == 0 &&
          std::fseek(file_, 0, SEEK_END) == 0;
    return ok_;
}

bool CWaveFileWriter::Close() {
    if (!file_)
        return false;
    if (ok_)
        ok_ = WriteHeader();
    ok_ = std::fclose(file_) == 0 && ok_;
    file_ = nullptr;
    return ok_;
}

bool WriteWaveFile(const std::string& path, std::span<const int16_t> samples) {
    CWaveFileWriter writer;
    return writer.Open(path) && writer.Write(samples) && writer.Close();
}
