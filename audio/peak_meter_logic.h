#pragma once

#include <cstdint>

// What a bar meter draws for a level, and how its ALC lowers the input
// fader. A meter has ten segments stacked from the bottom; the level runs
// from 0 to full scale.

inline constexpr int kMeterSegments = 10;
inline constexpr int kMeterFullScale = 32768;

// Lit segments for level: level * 10 / 32768, so 3277 lights one and only
// full scale lights all ten. Levels outside 0..32768 light none or all.
int MeterBars(int level);

struct MeterColour {
    uint8_t red = 0;
    uint8_t green = 0;
    uint8_t blue = 0;
};

// Segment k (0 at the bottom) of a meter clientHeight pixels high: it spans
// the whole width, starts at y and is one pixel less high than the segment
// pitch, which leaves a gap line above the next one.
struct MeterSegment {
    int y = 0;
    int height = 0;
    MeterColour colour;
};

// The lower seven segments are green, brightening upwards (155 to 240); the
// top three are pure red.
MeterSegment MeterSegmentAt(int k, int clientHeight);

// Whether the ALC lowers the input fader at this many bars: when the level
// lights the top two segments (29492 and above).
bool AlcApplies(int bars);

// Fader positions run 0 (loudest, at the top) to maximum. One ALC step moves
// the fader a twentieth of its remaining travel towards maximum.
int AlcPosition(int position, int maximum);
