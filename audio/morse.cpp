#include "audio/morse.h"

#include <algorithm>

namespace {

// International Morse code for A to Z and 0 to 9, plus "/" and "?".
const char* CodeFor(char upper) {
    static const char* const kLetters[26] = {
        ".-",   "-...", "-.-.", "-..",  ".",   "..-.", "--.",  "....", "..",
        ".---", "-.-",  ".-..", "--",   "-.",  "---",  ".--.", "--.-", ".-.",
        "...",  "-",    "..-",  "...-", ".--", "-..-", "-.--", "--..",
    };
    static const char* const kDigits[10] = {
        "-----", ".----", "..---", "...--", "....-", ".....", "-....", "--...", "---..", "----.",
    };
    if (upper >= 'A' && upper <= 'Z')
        return kLetters[upper - 'A'];
    if (upper >= '0' && upper <= '9')
        return kDigits[upper - '0'];
    if (upper == '/')
        return "-..-.";
    if (upper == '?')
        return "..--..";
    return " ";
}

char ToUpper(char c) {
    return c >= 'a' && c <= 'z' ? char(c - 'a' + 'A') : c;
}

} // namespace

bool CMorse::HasCode(std::string_view text) {
    return std::any_of(text.begin(), text.end(),
                       [](char c) { return *CodeFor(ToUpper(c)) != ' '; });
}

void CMorse::Setup(int frequencyHz, int wpm, int volume) {
    frequency = frequencyHz;
    wordsPerMinute = std::max(wpm, 1);
    // A word is counted as 40 units (not the usual 50 of "PARIS "), so the
    // code runs a quarter slower than the nominal speed.
    const int unit = int(60000 / (int64_t(wordsPerMinute) * 40));
    const int fade = unit / 4;

    CMixInSound elementGap;
    elementGap.MakeSilence(unit / 5);
    letterGap.MakeSilence(3 * unit / 2);
    wordGap.MakeSilence(3 * unit);
    dot.MakeTone(frequency, unit, volume, fade, fade);
    dot.Append(elementGap);
    dash.MakeTone(frequency, 3 * unit, volume, fade, fade);
    dash.Append(elementGap);
}

std::unique_ptr<CMixInSound> CMorse::Build(std::string_view text) const {
    auto sound = std::make_unique<CMixInSound>();
    if (text.empty())
        text = " ";
    for (const char c : text) {
        for (const char* symbol = CodeFor(ToUpper(c)); *symbol; ++symbol) {
            if (*symbol == '.')
                sound->Append(dot);
            else if (*symbol == '-')
                sound->Append(dash);
            else
                sound->Append(wordGap);
        }
        sound->Append(letterGap);
    }
    return sound;
}
