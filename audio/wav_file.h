#pragma once

#include <cstdint>
#include <cstdio>
#include <span>
#include <string>

// Writes 8000 Hz mono 16-bit PCM WAV files, piece by piece. The header's
// lengths are filled in by Close.
class CWaveFileWriter {
public:
    CWaveFileWriter() = default;
    // Closes the file if still open.
    ~CWaveFileWriter();
    CWaveFileWriter(const CWaveFileWriter&) = delete;
    CWaveFileWriter& operator=(const CWaveFileWriter&) = delete;

    // Creates (or truncates) the file and writes a header for no samples.
    bool Open(const std::string& path);
    // Appends samples. Fails once the data would pass the 4 GiB a WAV file
    // can describe.
    bool Write(std::span<const int16_t> samples);
    // Completes the header and closes the file; true when every write since
    // Open succeeded.
    bool Close();

private:
    FILE* file_ = nullptr;
    uint32_t dataBytes_ = 0;
    bool ok_ = false;
};

// The whole file in one call.
bool WriteWaveFile(const std::string& path, std::span<const int16_t> samples);
