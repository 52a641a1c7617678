#pragma once

#include "audio/mixin_sound.h"

#include <cstdint>
#include <memory>
#include <string_view>

// Builds Morse code renderings of texts (identification, courtesy signal,
// announcements) from four pre-built element sounds.
class CMorse {
public:
    CMorse() { Setup(600, 12, 12000); }
    virtual ~CMorse() = default;

    // Rebuilds the element sounds. The unit is 1500 / wordsPerMinute ms; a
    // speed below 1 word per minute is taken as 1.
    void Setup(int frequency, int wordsPerMinute, int volume);
    // The Morse rendering of text: each character's elements followed by a
    // letter gap. Letters are sent in upper case; characters without a code
    // (the space among them) are sent as a word gap. An empty text is sent
    // as a single space.
    std::unique_ptr<CMixInSound> Build(std::string_view text) const;
    // True when text has at least one character with a code, so that its
    // rendering is more than gaps.
    static bool HasCode(std::string_view text);

    CMixInSound dot;       // one dot and the element gap
    CMixInSound dash;      // one dash and the element gap
    CMixInSound letterGap; // after every character
    CMixInSound wordGap;   // for a space
    int32_t frequency = 0;
    int32_t wordsPerMinute = 0;
};
