#pragma once

#include <cstdint>
#include <string>
#include <vector>

// The text shown when an announcement's WAV file cannot be loaded; the one
// argument is the file's path.
inline constexpr const char* kLoadWaveErrorFormat =
    "Unable to load Wave file %s\nSupported Format is PCM Mono/Stereo any rate\n"
    "Please check your WAV file in Windows recorder";

// A sound of the gateway's own (Morse, announcement, keying tone) that playback
// adds into whatever it plays: 8000 Hz mono samples and the index of the next
// sample to mix.
class CMixInSound {
public:
    CMixInSound() = default;
    virtual ~CMixInSound() = default;

    // Replaces the samples with a sine tone of durationMs at volume, with
    // linear fades over the first riseMs and the last fallMs (0: no fade).
    void MakeTone(int frequency, int durationMs, int volume, int riseMs, int fallMs);
    // Replaces the samples with durationMs of silence.
    void MakeSilence(int durationMs);
    // Adds a copy of other's samples at the end.
    void Append(const CMixInSound& other);
    // Replaces the samples with a RIFF/WAVE PCM file (8, 16, 24 or 32 bits,
    // any number of channels, any rate) as 8000 Hz mono: the first channel,
    // resampled. True when at least one sample was loaded. 8-bit samples are
    // scaled to -16384..16256; 24- and 32-bit samples keep their top 16 bits.
    bool LoadWave(const std::string& path);

    std::vector<int16_t> samples;
    int32_t position = 0;
};
