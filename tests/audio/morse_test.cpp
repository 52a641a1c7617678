#include "audio/morse.h"

#include <gtest/gtest.h>

#include <string>

namespace {

using Samples = std::vector<int16_t>;

// The sound of a sequence of elements: '.' dot, '-' dash, 'l' letter gap, 'w' word gap.
Samples Elements(const CMorse& m, const std::string& elements) {
    Samples out;
    for (char e : elements) {
        const CMixInSound& part = e == '.'   ? m.dot
                                  : e == '-' ? m.dash
                                  : e == 'l' ? m.letterGap
                                             : m.wordGap;
        out.insert(out.end(), part.samples.begin(), part.samples.end());
    }
    return out;
}

TEST(Morse, ElementsFollowTheSpeed) {
    CMorse morse; // 600 Hz, 12 wpm, volume 12000: unit 125 ms, fades 31 ms
    EXPECT_EQ(morse.frequency, 600);
    EXPECT_EQ(morse.wordsPerMinute, 12);
    CMixInSound tone, gap;
    gap.MakeSilence(25);
    tone.MakeTone(600, 125, 12000, 31, 31);
    tone.Append(gap);
    EXPECT_EQ(morse.dot.samples, tone.samples);
    tone.MakeTone(600, 375, 12000, 31, 31);
    tone.Append(gap);
    EXPECT_EQ(morse.dash.samples, tone.samples);
    EXPECT_EQ(morse.letterGap.samples, Samples(1496, 0)); // 187 ms
    EXPECT_EQ(morse.wordGap.samples, Samples(3000, 0));   // 375 ms

    morse.Setup(650, 18, 5000); // unit 83 ms
    EXPECT_EQ(morse.frequency, 650);
    EXPECT_EQ(morse.dot.samples.size(), 664u + 128u);
    EXPECT_EQ(morse.letterGap.samples.size(), 992u);
    morse.Setup(650, 0, 5000); // taken as 1 wpm: unit 1500 ms
    EXPECT_EQ(morse.wordsPerMinute, 1);
    EXPECT_EQ(morse.dot.samples.size(), 12000u + 2400u);
}

TEST(Morse, BuildSendsEachCharacterThenALetterGap) {
    const CMorse m;
    EXPECT_EQ(m.Build("E E")->samples, Elements(m, ".lwl.l"));
    EXPECT_EQ(m.Build("")->samples, Elements(m, "wl"));
    EXPECT_EQ(m.Build("#")->samples, Elements(m, "wl"));
    EXPECT_EQ(m.Build("k")->samples, Elements(m, "-.-l"));
    EXPECT_EQ(m.Build("\xC3,")->samples, Elements(m, "wlwl"));

    const std::string characters = "ABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789/?";
    const char* const codes[] = {
        ".-",    "-...",  "-.-.",  "-..",   ".",     "..-.",  "--.",   "....",  "..",    ".---",
        "-.-",   ".-..",  "--",    "-.",    "---",   ".--.",  "--.-",  ".-.",   "...",   "-",
        "..-",   "...-",  ".--",   "-..-",  "-.--",  "--..",  "-----", ".----", "..---", "...--",
        "....-", ".....", "-....", "--...", "---..", "----.", "-..-.", "..--.."};
    for (size_t i = 0; i < characters.size(); ++i) {
        EXPECT_EQ(m.Build(characters.substr(i, 1))->samples,
                  Elements(m, codes[i] + std::string("l")))
            << characters[i];
    }
}

} // namespace
