// Both DTMF detectors over the same test audio: for each condition the keys
// each one heard (hits), missed and heard wrongly or where none was sent
// (false), then the samples per second each one gets through.
//
// Rows marked "keys" should be heard in full; rows marked "none" send keys a
// detector should reject (too short, too far off frequency), so there a hit
// is a fault; rows marked "any" lie between the two.

#include "audio/dtmf_detector.h"
#include "tests/support/dtmf_signals.h"

#include <chrono>
#include <cstdio>
#include <functional>
#include <string>
#include <vector>

namespace {

constexpr char kAllKeys[] = "123A456B789C*0#D";
// Each key condition sends the sixteen keys this many times, each time with
// another lead-in and other tone phases.
constexpr int kPasses = 4;
constexpr double kQuietMinutes = 10;

struct Condition {
    std::string name;
    const char* want;
    std::function<DtmfTrack(uint32_t seed)> make;
};

Condition Keys(std::string name, const char* want, DtmfKeyShape shape, double noiseDbm0 = 0) {
    return {std::move(name), want, [shape, noiseDbm0](uint32_t seed) {
                std::string keys;
                for (int pass = 0; pass < kPasses; ++pass)
                    keys += kAllKeys;
                DtmfTrack track = DtmfKeys(keys, shape, seed);
                if (noiseDbm0 < 0)
                    AddNoise(track.samples, noiseDbm0, seed + 1);
                return track;
            }};
}

DtmfKeyShape Shape(double toneMs, double pauseMs, double lowDbm0, double highDbm0,
                   double lowOffset = 0, double highOffset = 0) {
    return {toneMs, pauseMs, lowDbm0, highDbm0, lowOffset, highOffset};
}

std::vector<Condition> Conditions() {
    std::vector<Condition> c;
    for (double ms : {100.0, 50.0, 40.0})
        c.push_back(Keys("tone/pause " + std::to_string(int(ms)) + "/" + std::to_string(int(ms)) +
                             " ms, -10 dBm0",
                         "keys", Shape(ms, ms, -10, -10)));
    c.push_back(Keys("tone 30 ms, pause 40 ms", "any", Shape(30, 40, -10, -10)));
    c.push_back(Keys("tone 23 ms, pause 40 ms", "none", Shape(23, 40, -10, -10)));
    c.push_back(Keys("tone 20 ms, pause 40 ms", "none", Shape(20, 40, -10, -10)));
    for (double dbm0 : {-3.0, -20.0, -28.0})
        c.push_back(Keys("40/40 ms, both " + std::to_string(int(dbm0)) + " dBm0", "keys",
                         Shape(40, 40, dbm0, dbm0)));
    c.push_back(Keys("40/40 ms, low -3, high -11 dBm0", "keys", Shape(40, 40, -3, -11)));
    c.push_back(Keys("40/40 ms, low -11, high -3 dBm0", "keys", Shape(40, 40, -11, -3)));
    c.push_back(Keys("40/40 ms, low -20, high -28 dBm0", "keys", Shape(40, 40, -20, -28)));
    c.push_back(Keys("40/40 ms, low -28, high -20 dBm0", "keys", Shape(40, 40, -28, -20)));
    c.push_back(Keys("100/100 ms, both -3 dBm0", "keys", Shape(100, 100, -3, -3)));
    c.push_back(Keys("100/100 ms, both -20 dBm0", "keys", Shape(100, 100, -20, -20)));
    c.push_back(Keys("100/100 ms, both -28 dBm0", "keys", Shape(100, 100, -28, -28)));
    c.push_back(Keys("100/100 ms, low -3, high -11 dBm0", "keys", Shape(100, 100, -3, -11)));
    c.push_back(Keys("40/40 ms, both +1.5%", "keys", Shape(40, 40, -10, -10, 0.015, 0.015)));
    c.push_back(Keys("40/40 ms, both -1.5%", "keys", Shape(40, 40, -10, -10, -0.015, -0.015)));
    c.push_back(
        Keys("40/40 ms, low +1.5%, high -1.5%", "keys", Shape(40, 40, -10, -10, 0.015, -0.015)));
    c.push_back(
        Keys("40/40 ms, -1.5%, twist 8 dB", "keys", Shape(40, 40, -20, -28, -0.015, -0.015)));
    c.push_back(
        Keys("40/40 ms, +1.5%, twist -8 dB", "keys", Shape(40, 40, -28, -20, 0.015, 0.015)));
    c.push_back(Keys("40/40 ms, low +3.5%", "none", Shape(40, 40, -10, -10, 0.035, 0)));
    c.push_back(Keys("40/40 ms, low -3.5%", "none", Shape(40, 40, -10, -10, -0.035, 0)));
    c.push_back(Keys("40/40 ms, high +3.5%", "none", Shape(40, 40, -10, -10, 0, 0.035)));
    c.push_back(Keys("40/40 ms, high -3.5%", "none", Shape(40, 40, -10, -10, 0, -0.035)));
    c.push_back(Keys("100/100 ms, both +3.5%", "none", Shape(100, 100, -10, -10, 0.035, 0.035)));
    for (double noise : {-40.0, -35.0, -30.0})
        c.push_back(Keys("40/40 ms, -20 dBm0, noise " + std::to_string(int(noise)) + " dBm0",
                         "keys", Shape(40, 40, -20, -20), noise));
    c.push_back(
        Keys("100/100 ms, -20 dBm0, noise -30 dBm0", "keys", Shape(100, 100, -20, -20), -30));
    c.push_back({"speech-like, 10 min", "none", [](uint32_t seed) {
                     return DtmfTrack{SpeechLike(kQuietMinutes * 60, seed), {}};
                 }});
    c.push_back({"music-like, 10 min", "none", [](uint32_t seed) {
                     return DtmfTrack{MusicLike(kQuietMinutes * 60, seed), {}};
                 }});
    return c;
}

// Runs a fresh detector of `kind` over the samples in small pieces, noting
// where each key came.
std::vector<HeardKey> Listen(DtmfDetectorKind kind, const std::vector<int16_t>& samples) {
    constexpr size_t kPiece = 16;
    std::unique_ptr<IDtmfDetector> detector = MakeDtmfDetector(kind);
    std::vector<HeardKey> heard;
    size_t at = 0;
    detector->SetKeySink([&](char key) { heard.push_back({key, at}); });
    int gain[kDtmfTones], level[kDtmfTones];
    std::fill_n(gain, kDtmfTones, 3000);
    for (; at < samples.size(); at += kPiece) {
        const size_t n = std::min(kPiece, samples.size() - at);
        detector->Process({samples.data() + at, n}, gain, level);
    }
    return heard;
}

// Samples per second through a detector in capture's 200 ms packets, the
// best of several runs.
double Throughput(DtmfDetectorKind kind, const std::vector<int16_t>& samples) {
    constexpr size_t kPacket = 1600;
    std::unique_ptr<IDtmfDetector> detector = MakeDtmfDetector(kind);
    int keys = 0;
    detector->SetKeySink([&keys](char) { ++keys; });
    int gain[kDtmfTones], level[kDtmfTones];
    std::fill_n(gain, kDtmfTones, 3000);
    double best = 0;
    for (int run = 0; run < 5; ++run) {
        const auto start = std::chrono::steady_clock::now();
        for (size_t at = 0; at + kPacket <= samples.size(); at += kPacket)
            detector->Process({samples.data() + at, kPacket}, gain, level);
        const std::chrono::duration<double> took = std::chrono::steady_clock::now() - start;
        best = std::max(best, double(samples.size()) / took.count());
    }
    return best;
}

std::string Cell(const DtmfScore& s) {
    char text[32];
    std::snprintf(text, sizeof text, "%4d %4d %4d", s.hits, s.misses, s.falseKeys);
    return text;
}

} // namespace

int main() {
    std::printf("Levels in dBm0, a full-scale sine being +3.14 dBm0. Key rows: 16 keys x %d.\n",
                kPasses);
    std::printf("%-40s %-5s | %-14s | %-14s\n", "condition", "want", "detector 0", "detector 1");
    std::printf("%-40s %-5s | %-14s | %-14s\n", "", "", " hit miss false", " hit miss false");
    uint32_t seed = 1;
    for (const Condition& condition : Conditions()) {
        const DtmfTrack track = condition.make(seed++);
        const DtmfScore old = ScoreKeys(track, Listen(DtmfDetectorKind::Blocks299, track.samples));
        const DtmfScore sliding =
            ScoreKeys(track, Listen(DtmfDetectorKind::Sliding106, track.samples));
        std::printf("%-40s %-5s | %s | %s\n", condition.name.c_str(), condition.want,
                    Cell(old).c_str(), Cell(sliding).c_str());
        std::fflush(stdout);
    }

    // A minute of speech with a key every few seconds.
    std::vector<int16_t> audio = SpeechLike(60, 99);
    const DtmfTrack keys = DtmfKeys("159D", Shape(60, 60, -10, -10), 7);
    for (size_t at = 0; at + keys.samples.size() < audio.size(); at += 5 * kSignalRate)
        std::copy(keys.samples.begin(), keys.samples.end(), audio.begin() + long(at));
    for (DtmfDetectorKind kind : {DtmfDetectorKind::Blocks299, DtmfDetectorKind::Sliding106}) {
        const double rate = Throughput(kind, audio);
        std::printf("detector %d: %.0f Msamples/s (%.0f times real time)\n", int(kind), rate / 1e6,
                    rate / kSignalRate);
    }
    return 0;
}
