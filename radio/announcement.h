#pragma once

#include <string>

// One announcement: a WAV file to play, or (with the Morse flag set) a text to send in Morse.
struct CAnnounceMent {
    int morse = 0;    // nonzero: `file` is the text to send in Morse
    std::string file; // WAV file path, or the Morse text
    int tick = 0;     // due whenever the tick count is a multiple of it; -1 for fixed messages

    bool operator==(const CAnnounceMent&) const = default;

    // Announcements are kept by tick, then by file text in byte order.
    friend bool operator<(const CAnnounceMent& a, const CAnnounceMent& b) {
        if (a.tick != b.tick)
            return a.tick < b.tick;
        return a.file < b.file;
    }
};
