#include "audio/dtmf_decoder.h"
#include "audio/dtmf_sliding_detector.h"
#include "audio/sound_packet.h"
#include "audio/wav_file.h"
#include "tests/audio/wav_bytes.h"
#include "tests/support/dtmf_signals.h"
#include "tests/support/run_tool.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>

namespace {

constexpr char kAllKeys[] = "123A456B789C*0#D";

// The keys a fresh detector of `kind` hears in the samples, fed in pieces
// of `piece` samples; `level` keeps the last meter levels.
std::string Heard(DtmfDetectorKind kind, const std::vector<int16_t>& samples, size_t piece = 1600,
                  int* level = nullptr) {
    std::unique_ptr<IDtmfDetector> detector = MakeDtmfDetector(kind);
    std::string keys;
    detector->SetKeySink([&keys](char key) { keys += key; });
    int gain[kDtmfTones], levels[kDtmfTones];
    std::fill_n(gain, kDtmfTones, 3000);
    for (size_t at = 0; at < samples.size(); at += piece)
        detector->Process({samples.data() + at, std::min(piece, samples.size() - at)}, gain,
                          levels);
    if (level)
        std::copy_n(levels, kDtmfTones, level);
    return keys;
}

std::string Sliding(const DtmfKeyShape& shape, uint32_t seed = 1) {
    return Heard(DtmfDetectorKind::Sliding106, DtmfKeys(kAllKeys, shape, seed).samples);
}

TEST(DtmfSlidingDetector, Hears40MsKeysFromMinus28ToMinus3Dbm0With8DbTwist) {
    const double levels[][2] = {{-28, -28}, {-3, -3}, {-3, -11}, {-11, -3}, {-20, -28}, {-28, -20}};
    for (const auto& [low, high] : levels) {
        const DtmfKeyShape shape{40, 40, low, high};
        for (uint32_t seed : {1u, 2u, 3u})
            EXPECT_EQ(Sliding(shape, seed), kAllKeys) << low << " " << high << " seed " << seed;
    }
    // The 299-sample detector needs longer keys.
    EXPECT_EQ(Heard(DtmfDetectorKind::Blocks299, DtmfKeys(kAllKeys, {}, 1).samples), "");
    // 1.5% off either way is still a key.
    EXPECT_EQ(Sliding({40, 40, -10, -10, 0.015, -0.015}), kAllKeys);
    EXPECT_EQ(Sliding({40, 40, -20, -28, -0.015, 0.015}), kAllKeys);
}

TEST(DtmfSlidingDetector, RejectsTonesOffFrequencyOrTooShortAndAudioWithoutKeys) {
    for (double offset : {0.035, -0.035}) {
        EXPECT_EQ(Sliding({40, 40, -10, -10, offset, 0}), "") << offset;
        EXPECT_EQ(Sliding({40, 40, -10, -10, 0, offset}), "") << offset;
        EXPECT_EQ(Sliding({100, 100, -3, -3, offset, offset}), "") << offset;
    }
    for (double ms : {20.0, 23.0})
        for (uint32_t seed : {1u, 2u, 3u})
            EXPECT_EQ(Sliding({ms, 40, -3, -3}, seed), "") << ms << " ms, seed " << seed;
    EXPECT_EQ(Heard(DtmfDetectorKind::Sliding106, SpeechLike(8, 5)), "");
    EXPECT_EQ(Heard(DtmfDetectorKind::Sliding106, MusicLike(8, 5)), "");
}

TEST(DtmfSlidingDetector, CountsEachPressOnceInPiecesOfAnySize) {
    // The same key twice with a 40 ms pause, then a key held for a second.
    DtmfTrack track = DtmfKeys("55", {}, 4);
    const DtmfTrack held = DtmfKeys("#", {1000, 100}, 5);
    track.samples.insert(track.samples.end(), held.samples.begin(), held.samples.end());
    for (size_t piece : {1, 7, 53, 106, 333, 1600})
        EXPECT_EQ(Heard(DtmfDetectorKind::Sliding106, track.samples, piece), "55#") << piece;
}

TEST(DtmfSlidingDetector, MetersReadAsThe299SampleDetectors) {
    // A held "5" at -20 dBm0 with a 3000 gain on every tone.
    const DtmfTrack held = DtmfKeys("5", {600, 0, -20, -20}, 6);
    const auto start = held.samples.begin() + long(held.keys[0].start);
    const std::vector<int16_t> tone(start, start + 4800);
    int blocks[kDtmfTones], sliding[kDtmfTones];
    Heard(DtmfDetectorKind::Blocks299, tone, 1600, blocks);
    Heard(DtmfDetectorKind::Sliding106, tone, 1600, sliding);
    for (int k : {1, 5}) {
        EXPECT_GT(blocks[k], 10000) << k;
        EXPECT_NEAR(sliding[k], blocks[k], blocks[k] / 50) << k;
    }
}

TEST(DtmfSlidingDetector, ProcessDetectorAndToolUseTheKindChosen) {
    const DtmfTrack keys = DtmfKeys("159D", {}, 7);
    std::string heard;
    SetDtmfKeySink([&heard](char key) { heard += key; });
    int gain[kDtmfTones], level[kDtmfTones];
    std::fill_n(gain, kDtmfTones, 3000);
    auto feed = [&] {
        for (size_t at = 0; at < keys.samples.size(); at += kPacketSamples) {
            const size_t count = std::min(keys.samples.size() - at, size_t(kPacketSamples));
            CSoundPacket packet(keys.samples.data() + at, int(count));
            DetectDtmf(packet, gain, level);
        }
    };
    feed();
    EXPECT_EQ(heard, "");
    UseDtmfDetector(DtmfDetectorKind::Sliding106);
    feed();
    EXPECT_EQ(heard, "159D");
    UseDtmfDetector(DtmfDetectorKind::Blocks299);
    SetDtmfKeySink(nullptr);

    EXPECT_EQ(DtmfDetectorKindOf(1), DtmfDetectorKind::Sliding106);
    for (int other : {0, 2, -1})
        EXPECT_EQ(DtmfDetectorKindOf(other), DtmfDetectorKind::Blocks299) << other;

    TempDir dir;
    const std::string path = dir / "keys.wav";
    ASSERT_TRUE(WriteWaveFile(path, keys.samples));
    EXPECT_EQ(RunTool("dtmf --detector 1 " + path).out, "159D\n");
    EXPECT_EQ(RunTool("dtmf " + path).out, "\n");
    EXPECT_EQ(RunTool("dtmf " + path + " --detector 2").exitCode, 2);
}

} // namespace
