#pragma once

#include <cstdint>
#include <cstdio>
#include <span>
#include <string>

// Writes 8000 Hz mono 16-bit PCM WAV files, piece by piece. The header's
// lengths are filled in by Flush and Close.
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
    // Rewrites the header for the samples written so far and hands the file
    // to the system, so that a reader sees a complete WAV file while it grows.
    bool Flush();
    // Completes the header and closes the file; true when every write since
    // Open succeeded.
    bool Close();

private:
    // Writes the header for the data so far at the start of the file.
    bool WriteHeader();

    FILE* file_ = nullptr;
    uint32_t dataBytes_ = 0;
    bool ok_ = false;
};

// The whole file in one call.
bool WriteWaveFile(const std::string& path, std::span<const int16_t> samples);
