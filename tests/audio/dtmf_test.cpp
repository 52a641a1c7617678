#include "audio/dtmf_decoder.h"
#include "audio/sound_packet.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <initializer_list>
#include <string>

namespace {

constexpr int kBlock = 299; // samples per detection block
constexpr char kKeys[] = "123A456B789C*0#D";

// Audio built block by block from sums of tones and from silence.
struct Signal {
    struct Tone {
        double frequency, amplitude;
    };
    Signal& Mix(std::initializer_list<Tone> tones, int blocks) {
        for (int i = 0; i < blocks * kBlock; ++i) {
            double v = 0;
            for (const Tone& t : tones)
                v += t.amplitude * std::sin(2 * M_PI * t.frequency * i / 8000.0);
            samples.push_back(int16_t(std::lround(v)));
        }
        return *this;
    }
    Signal& Key(char key, int blocks) {
        static const double kLow[4] = {697, 770, 852, 941}, kHigh[4] = {1209, 1336, 1477, 1633};
        const int index = int(std::strchr(kKeys, key) - kKeys);
        return Mix({{kLow[index / 4], 6000}, {kHigh[index % 4], 6000}}, blocks);
    }
    Signal& Gap(int blocks) { return Mix({}, blocks); }
    std::vector<int16_t> samples;
};

// A fresh decoder that collects its key presses.
struct Decoder {
    Decoder() {
        decoder.SetKeySink([this](char key) { keys += key; });
        std::fill_n(gain, kDtmfTones, 3000);
    }
    bool Run(const std::vector<int16_t>& s) { return decoder.Process(s, gain, level); }

    CDtmfDecoder decoder;
    std::string keys;
    int gain[kDtmfTones];
    int level[kDtmfTones] = {};
};

TEST(Dtmf, RecognisesEachKeyOncePerPress) {
    Signal all;
    for (const char* k = kKeys; *k; ++k)
        all.Key(*k, 3).Gap(1);
    Decoder d;
    d.Run(all.samples);
    EXPECT_EQ(d.keys, kKeys);

    Decoder held;
    held.Run(Signal().Key('5', 20).samples);
    EXPECT_EQ(held.keys, "5");
    EXPECT_EQ(held.level[1], 32768);
    EXPECT_EQ(held.level[5], 32768);
    for (int k : {0, 2, 3, 4, 6, 7})
        EXPECT_LT(held.level[k], 10000) << k;
}

TEST(Dtmf, PostsOnTheThirdBlockAndNeedsAGapToRepeat) {
    Decoder d;
    EXPECT_TRUE(d.Run(Signal().Key('9', 2).Gap(1).Key('9', 2).samples));
    EXPECT_EQ(d.keys, "");

    const std::vector<int16_t> press = Signal().Gap(1).Key('1', 3).samples;
    d.Run({press.begin(), press.end() - 1});
    EXPECT_EQ(d.keys, "");
    d.Run({press.end() - 1, press.end()});
    EXPECT_EQ(d.keys, "1");

    d.Run(Signal().Gap(1).Key('1', 3).samples);
    EXPECT_EQ(d.keys, "11");
    // Another key follows without a gap; the same key held on does not repeat.
    d.Run(Signal().Key('2', 3).Key('2', 3).samples);
    EXPECT_EQ(d.keys, "112");
    EXPECT_FALSE(d.Run(Signal().Gap(2).samples));
}

TEST(Dtmf, GainsScaleAndCapTheLevels) {
    Decoder off;
    off.gain[4] = 0; // 1209 Hz
    EXPECT_FALSE(off.Run(Signal().Key('1', 4).samples));
    EXPECT_EQ(off.level[4], 0);
    off.Run(Signal().Gap(1).Key('2', 4).samples);
    EXPECT_EQ(off.keys, "2");

    Decoder loud;
    std::fill_n(loud.gain, kDtmfTones, 2000000000);
    loud.Run(Signal().Key('5', 1).samples);
    for (int k = 0; k < kDtmfTones; ++k)
        EXPECT_TRUE(loud.level[k] >= 0 && loud.level[k] <= 32768) << k;
    EXPECT_EQ(loud.level[1], 32768);
}

TEST(Dtmf, OnlyTheDisplacedLevelCountsAsRunnerUp) {
    // 697 Hz strong, 770 Hz clearly present but never the maximum while
    // scanning: nothing is displaced and "1" passes.
    Decoder first;
    first.gain[2] = first.gain[3] = 0;
    EXPECT_TRUE(first.Run(Signal().Mix({{697, 6000}, {770, 2500}, {1209, 6000}}, 3).samples));
    ASSERT_GT(first.level[0], 20000);
    ASSERT_TRUE(first.level[1] > 10000 && first.level[1] < 20000) << first.level[1];
    EXPECT_EQ(first.keys, "1");

    // Swapped: 770 Hz displaces 697 Hz, which is above 10000, so no key.
    Decoder second;
    second.gain[2] = second.gain[3] = 0;
    EXPECT_FALSE(second.Run(Signal().Mix({{697, 2500}, {770, 6000}, {1209, 6000}}, 3).samples));
    ASSERT_GT(second.level[0], 10000);

    // The high group alike; a tie keeps the earlier tone.
    Decoder high;
    high.gain[6] = high.gain[7] = 0;
    high.Run(Signal().Mix({{941, 6000}, {1209, 6000}, {1336, 2500}}, 3).samples);
    EXPECT_EQ(high.keys, "*");
    Decoder tie;
    tie.Run(Signal().Mix({{697, 6000}, {1209, 9000}, {1336, 9000}}, 3).samples);
    ASSERT_EQ(tie.level[4], tie.level[5]);
    EXPECT_EQ(tie.keys, "1");
}

TEST(Dtmf, BlocksRunOnAcrossPiecesOfAnySize) {
    const std::vector<int16_t> s =
        Signal().Key('7', 3).Gap(1).Key('#', 5).Gap(2).Key('D', 3).Gap(1).samples;
    Decoder whole, pieces;
    whole.Run(s);
    ASSERT_EQ(whole.keys, "7#D");
    const size_t sizes[] = {1, 7, 298, 300, 13, 1600, 0, 299, 451};
    for (size_t at = 0, i = 0; at < s.size(); ++i) {
        const size_t n = std::min(sizes[i % std::size(sizes)], s.size() - at);
        pieces.Run({s.begin() + long(at), s.begin() + long(at + n)});
        at += n;
    }
    EXPECT_EQ(pieces.keys, whole.keys);
    EXPECT_TRUE(std::equal(pieces.level, pieces.level + kDtmfTones, whole.level));
}

TEST(Dtmf, ProcessDecoderMarksPacketsWithKeyBlocksSilent) {
    std::string keys;
    SetDtmfKeySink([&keys](char key) { keys += key; });
    InitDtmf();
    int gain[kDtmfTones], level[kDtmfTones];
    std::fill_n(gain, kDtmfTones, 3000);
    // "5" for six blocks (samples 0 to 1793): packet 1 holds the end of the
    // sixth block, packet 2 only blocks without a key.
    const std::vector<int16_t> s = Signal().Key('5', 6).Gap(11).samples;
    bool silent[3];
    for (int p = 0; p < 3; ++p) {
        CSoundPacket packet(s.data() + p * kPacketSamples, kPacketSamples);
        DetectDtmf(packet, gain, level);
        silent[p] = packet.silent;
    }
    SetDtmfKeySink(nullptr);
    EXPECT_TRUE(silent[0] && silent[1]);
    EXPECT_FALSE(silent[2]);
    EXPECT_EQ(keys, "5");
}

} // namespace
