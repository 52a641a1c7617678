#pragma once

// 8000 Hz test audio for DTMF detectors: key sequences along the axes that
// matter on the air (tone and pause length, level, twist, frequency offset,
// noise) and audio without keys that a detector must stay quiet on
// (synthesized speech and music), with a tally of what a detector heard.
//
// Levels are in dBm0 with a full-scale sine (amplitude 32768) at +3.14 dBm0,
// the G.711 convention, so 0 dBm0 is a sine of amplitude 22825.

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

constexpr double kFullScaleSineDbm0 = 3.14;
constexpr int kSignalRate = 8000;

// Peak amplitude of a sine at `dbm0`.
double SineAmplitude(double dbm0);

struct DtmfKeyShape {
    double toneMs = 40;
    double pauseMs = 40;
    double lowDbm0 = -10;
    double highDbm0 = -10;
    // Relative frequency error of each tone: 0.015 is 1.5% high.
    double lowOffset = 0;
    double highOffset = 0;
};

// Audio holding keys, and which stretch of it belongs to each key: from
// its tone's first sample up to the next key's.
struct DtmfTrack {
    struct Key {
        char key;
        size_t start;
        size_t end;
    };
    std::vector<int16_t> samples;
    std::vector<Key> keys;
};

// The keys one after another, each a tone then a pause, after a lead-in of
// silence. The seed picks the lead-in (so keys fall anywhere in a
// detector's blocks) and each tone's starting phase.
DtmfTrack DtmfKeys(const std::string& keys, const DtmfKeyShape& shape, uint32_t seed);

// Adds white Gaussian noise with the power of a sine at `dbm0`.
void AddNoise(std::vector<int16_t>& samples, double dbm0, uint32_t seed);

// Talk without keys: syllables of vowels (harmonics of a gliding pitch from
// 85 to 300 Hz shaped by moving formants), hiss for consonants, and pauses,
// at levels from -25 to -6 dBm0.
std::vector<int16_t> SpeechLike(double seconds, uint32_t seed);

// Music without keys: chords of three or four notes and two-note intervals
// of harmonic-rich instruments, with melodies over held chords, vibrato and
// note envelopes, at levels from -22 to -6 dBm0.
std::vector<int16_t> MusicLike(double seconds, uint32_t seed);

// A key a detector handed over, at the sample where it did.
struct HeardKey {
    char key;
    size_t at;
};

struct DtmfScore {
    int hits = 0;
    int misses = 0;
    // Keys heard where none was sent, a wrong key, or a key heard twice.
    int falseKeys = 0;
};

// A heard key is a hit when it is the key sent in the stretch where it was
// heard and the first heard there; every other heard key is false.
DtmfScore ScoreKeys(const DtmfTrack& track, const std::vector<HeardKey>& heard);
