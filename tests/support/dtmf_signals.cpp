#include "tests/support/dtmf_signals.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <random>

namespace {

constexpr double kTwoPi = 2 * M_PI;
constexpr char kKeys[] = "123A456B789C*0#D";
constexpr double kLowHz[4] = {697, 770, 852, 941};
constexpr double kHighHz[4] = {1209, 1336, 1477, 1633};
// Partials stop below this, well inside the 4 kHz band.
constexpr double kTopHz = 3800;

using Rng = std::mt19937;

double Uniform(Rng& rng, double low, double high) {
    return std::uniform_real_distribution<double>(low, high)(rng);
}

int Pick(Rng& rng, int count) {
    return std::uniform_int_distribution<int>(0, count - 1)(rng);
}

size_t Samples(double ms) {
    return size_t(std::lround(ms * kSignalRate / 1000));
}

void Add(std::vector<double>& mix, size_t at, double v) {
    if (at < mix.size())
        mix[at] += v;
}

std::vector<int16_t> ToSamples(const std::vector<double>& mix) {
    std::vector<int16_t> out(mix.size());
    for (size_t i = 0; i < mix.size(); ++i)
        out[i] = int16_t(std::clamp(std::lround(mix[i]), -32768L, 32767L));
    return out;
}

// A sum of harmonics of one fundamental, its phase carried from sample to
// sample, the partials made by the sine recurrence.
class HarmonicVoice {
public:
    explicit HarmonicVoice(double phase) : phase_(phase) {}
    // One sample: the partials' amplitudes (partial h at index h - 1) at the
    // fundamental `hz`.
    double Next(double hz, const std::vector<double>& amplitude) {
        phase_ = std::fmod(phase_ + kTwoPi * hz / kSignalRate, kTwoPi);
        const double s1 = std::sin(phase_), twoCos = 2 * std::cos(phase_);
        double previous = 0, current = s1, v = 0;
        for (size_t h = 0; h < amplitude.size(); ++h) {
            v += amplitude[h] * current;
            const double next = twoCos * current - previous;
            previous = current;
            current = next;
        }
        return v;
    }

private:
    double phase_;
};

// Scales amplitudes (of sines) to the power of a sine at `dbm0`.
void ScaleTo(std::vector<double>& amplitude, double dbm0) {
    double power = 0;
    for (double a : amplitude)
        power += a * a;
    if (power <= 0)
        return;
    const double scale = SineAmplitude(dbm0) / std::sqrt(power);
    for (double& a : amplitude)
        a *= scale;
}

// Rises over `attack` samples and falls over the last `release` ones.
double Envelope(size_t i, size_t length, size_t attack, size_t release) {
    double e = 1;
    if (i < attack)
        e = 0.5 - 0.5 * std::cos(M_PI * double(i) / double(attack));
    if (i + release > length)
        e *= 0.5 - 0.5 * std::cos(M_PI * double(length - i) / double(release));
    return e;
}

// --- Speech ---

struct Vowel {
    double formant[3];
};
constexpr Vowel kVowels[] = {{{730, 1090, 2440}}, {{270, 2290, 3010}}, {{300, 870, 2240}},
                             {{530, 1840, 2480}}, {{570, 840, 2410}},  {{660, 1720, 2410}},
                             {{640, 1190, 2390}}, {{390, 1990, 2550}}, {{440, 1020, 2240}},
                             {{490, 1350, 1690}}};
constexpr double kFormantWidth[3] = {80, 100, 140};

// The vocal tract's gain at f: three resonances.
double TractGain(double f, const double formant[3]) {
    double gain = 1;
    for (int i = 0; i < 3; ++i) {
        const double F = formant[i], B = kFormantWidth[i];
        gain *= F * F / std::sqrt((F * F - f * f) * (F * F - f * f) + B * B * f * f);
    }
    return gain;
}

// A voiced syllable: the pitch glides from one value to another and the
// formants move from one vowel to another.
void AddVowel(std::vector<double>& mix, size_t at, size_t length, Rng& rng) {
    const Vowel& from = kVowels[Pick(rng, int(std::size(kVowels)))];
    const Vowel& to = kVowels[Pick(rng, int(std::size(kVowels)))];
    const double pitch0 = Uniform(rng, 85, 260);
    const double pitch1 = std::clamp(pitch0 * Uniform(rng, 0.7, 1.4), 80.0, 300.0);
    const double level = Uniform(rng, -25, -6);
    HarmonicVoice voice(Uniform(rng, 0, kTwoPi));
    std::vector<double> amplitude;
    constexpr size_t kUpdate = 40; // the spectrum is recomputed every 5 ms
    double pitch = pitch0;
    for (size_t i = 0; i < length; ++i) {
        const double t = double(i) / double(length);
        if (i % kUpdate == 0) {
            pitch = pitch0 * std::pow(pitch1 / pitch0, t);
            double formant[3];
            for (int f = 0; f < 3; ++f)
                formant[f] = from.formant[f] + (to.formant[f] - from.formant[f]) * t;
            amplitude.assign(size_t(kTopHz / pitch), 0.0);
            for (size_t h = 0; h < amplitude.size(); ++h)
                amplitude[h] = TractGain(pitch * double(h + 1), formant) / double(h + 1);
            ScaleTo(amplitude, level);
        }
        Add(mix, at + i,
            Envelope(i, length, Samples(25), Samples(40)) * voice.Next(pitch, amplitude));
    }
}

// Hiss of a fricative: white noise leaning to the high frequencies.
void AddHiss(std::vector<double>& mix, size_t at, size_t length, Rng& rng) {
    std::normal_distribution<double> noise(0, 1);
    const double scale = SineAmplitude(Uniform(rng, -32, -16)) / std::sqrt(2.0);
    double last = 0;
    for (size_t i = 0; i < length; ++i) {
        const double n = noise(rng);
        Add(mix, at + i, scale * (n - 0.7 * last) * Envelope(i, length, Samples(10), Samples(10)));
        last = n;
    }
}

// --- Music ---

double NoteHz(int midi) {
    return 440.0 * std::pow(2.0, (midi - 69) / 12.0);
}

enum class Instrument { Strings, Reed, Organ, Flute };

std::vector<double> Partials(Instrument instrument, double hz) {
    std::vector<double> a;
    for (int h = 1; h * hz < kTopHz && h <= 12; ++h) {
        switch (instrument) {
        case Instrument::Strings:
            a.push_back(1.0 / h);
            break;
        case Instrument::Reed:
            a.push_back(h % 2 ? 1.0 / h : 0.1 / h);
            break;
        case Instrument::Organ: {
            static const double kDrawbars[] = {1, 0.6, 0.4, 0.25, 0.15, 0.1};
            a.push_back(h <= 6 ? kDrawbars[h - 1] : 0.0);
            break;
        }
        case Instrument::Flute:
            a.push_back(h == 1 ? 1.0 : h == 2 ? 0.25 : h == 3 ? 0.08 : 0.0);
            break;
        }
    }
    return a;
}

// One note with an envelope and, now and then, vibrato.
void AddNote(std::vector<double>& mix, size_t at, size_t length, int midi, Instrument instrument,
             double dbm0, Rng& rng) {
    const double hz = NoteHz(midi);
    std::vector<double> amplitude = Partials(instrument, hz);
    ScaleTo(amplitude, dbm0);
    const double vibratoDepth = Pick(rng, 2) ? Uniform(rng, 0.002, 0.006) : 0.0;
    const double vibratoHz = Uniform(rng, 4.5, 6.5);
    const size_t attack = Samples(Uniform(rng, 10, 40));
    HarmonicVoice voice(Uniform(rng, 0, kTwoPi));
    for (size_t i = 0; i < length; ++i) {
        const double f =
            hz * (1 + vibratoDepth * std::sin(kTwoPi * vibratoHz * double(i) / kSignalRate));
        const double decay = 0.7 + 0.3 * std::exp(-double(i) / Samples(150));
        Add(mix, at + i,
            decay * Envelope(i, length, attack, Samples(50)) * voice.Next(f, amplitude));
    }
}

// A held chord (or a two-note interval) and sometimes a melody over it.
void AddMusicSegment(std::vector<double>& mix, size_t at, size_t length, Rng& rng) {
    static const std::vector<int> kChords[] = {{0, 4, 7},     {0, 3, 7},     {0, 4, 7, 10},
                                               {0, 4, 7, 11}, {0, 3, 7, 10}, {0, 5, 7}};
    static const int kIntervals[] = {3, 4, 5, 7, 8, 9, 12, 15, 16, 19};
    const double level = Uniform(rng, -22, -6);
    const int root = 48 + Pick(rng, 25);
    std::vector<int> notes;
    Instrument instrument = Instrument(Pick(rng, 4));
    if (Pick(rng, 4) == 0) {
        // Two notes only: never flute-like, whose near-pure sines would make
        // a real tone pair.
        if (instrument == Instrument::Flute)
            instrument = Instrument::Strings;
        notes = {root, root + kIntervals[Pick(rng, int(std::size(kIntervals)))]};
    } else {
        notes = kChords[Pick(rng, int(std::size(kChords)))];
        for (int& n : notes)
            n += root + (Pick(rng, 3) == 0 ? 12 : 0);
    }
    const double noteLevel = level - 10 * std::log10(double(notes.size()));
    for (int n : notes)
        AddNote(mix, at, length, n, instrument, noteLevel + Uniform(rng, -2, 2), rng);
    if (Pick(rng, 2) == 0)
        return;
    const Instrument lead = Instrument(Pick(rng, 4));
    for (size_t t = 0; t < length;) {
        const size_t note = std::min(length - t, Samples(Uniform(rng, 120, 400)));
        AddNote(mix, at + t, note, root + 12 + Pick(rng, 13), lead, level - 3, rng);
        t += note;
    }
}

} // namespace

double SineAmplitude(double dbm0) {
    return 32768.0 * std::pow(10.0, (dbm0 - kFullScaleSineDbm0) / 20.0);
}

DtmfTrack DtmfKeys(const std::string& keys, const DtmfKeyShape& shape, uint32_t seed) {
    Rng rng(seed);
    const size_t tone = Samples(shape.toneMs), pause = Samples(shape.pauseMs);
    const size_t leadIn = Samples(100) + size_t(Pick(rng, 300));
    const size_t tail = Samples(100);
    std::vector<double> mix(leadIn + keys.size() * (tone + pause) + tail, 0.0);
    DtmfTrack track;
    size_t at = leadIn;
    for (char key : keys) {
        const size_t k = size_t(std::strchr(kKeys, key) - kKeys);
        const double low = kLowHz[k / 4] * (1 + shape.lowOffset);
        const double high = kHighHz[k % 4] * (1 + shape.highOffset);
        const double lowAmplitude = SineAmplitude(shape.lowDbm0);
        const double highAmplitude = SineAmplitude(shape.highDbm0);
        const double lowPhase = Uniform(rng, 0, kTwoPi), highPhase = Uniform(rng, 0, kTwoPi);
        for (size_t i = 0; i < tone; ++i)
            mix[at + i] =
                lowAmplitude * std::sin(kTwoPi * low * double(i) / kSignalRate + lowPhase) +
                highAmplitude * std::sin(kTwoPi * high * double(i) / kSignalRate + highPhase);
        if (!track.keys.empty())
            track.keys.back().end = at;
        track.keys.push_back({key, at, mix.size()});
        at += tone + pause;
    }
    track.samples = ToSamples(mix);
    return track;
}

void AddNoise(std::vector<int16_t>& samples, double dbm0, uint32_t seed) {
    Rng rng(seed);
    std::normal_distribution<double> noise(0, SineAmplitude(dbm0) / std::sqrt(2.0));
    for (int16_t& s : samples)
        s = int16_t(std::clamp(std::lround(s + noise(rng)), -32768L, 32767L));
}

std::vector<int16_t> SpeechLike(double seconds, uint32_t seed) {
    Rng rng(seed);
    std::vector<double> mix(Samples(seconds * 1000), 0.0);
    for (size_t at = 0; at < mix.size();) {
        if (Pick(rng, 3) == 0) {
            const size_t hiss = Samples(Uniform(rng, 40, 120));
            AddHiss(mix, at, hiss, rng);
            at += hiss;
        }
        const size_t vowel = Samples(Uniform(rng, 100, 350));
        AddVowel(mix, at, vowel, rng);
        at += vowel;
        if (Pick(rng, 3) == 0)
            at += Samples(Uniform(rng, 30, 400));
    }
    return ToSamples(mix);
}

std::vector<int16_t> MusicLike(double seconds, uint32_t seed) {
    Rng rng(seed);
    std::vector<double> mix(Samples(seconds * 1000), 0.0);
    for (size_t at = 0; at < mix.size();) {
        const size_t length = Samples(Uniform(rng, 250, 1500));
        AddMusicSegment(mix, at, length, rng);
        at += length;
    }
    return ToSamples(mix);
}

DtmfScore ScoreKeys(const DtmfTrack& track, const std::vector<HeardKey>& heard) {
    DtmfScore score;
    std::vector<bool> hit(track.keys.size(), false);
    for (const HeardKey& h : heard) {
        const auto stretch =
            std::find_if(track.keys.begin(), track.keys.end(),
                         [&](const DtmfTrack::Key& k) { return h.at >= k.start && h.at < k.end; });
        const size_t i = size_t(stretch - track.keys.begin());
        if (stretch != track.keys.end() && stretch->key == h.key && !hit[i]) {
            hit[i] = true;
            ++score.hits;
        } else {
            ++score.falseKeys;
        }
    }
    score.misses = int(track.keys.size()) - score.hits;
    return score;
}
