#pragma once

#include <cstdint>

// Adds `in` into `out` sample by sample, clamping each sum to -32767..32767.
// Mixes min(count, inCount) samples and returns that number, so the caller
// can advance the mixed sound's position and tell whether it has ended.
int MixInto(int16_t* out, int count, const int16_t* in, int inCount);

// Adds a looping sound into all `count` samples of `out`: starts at
// `position` in `in` (inCount samples), goes back to 0 at its end, and
// returns the position after the last sample used. An empty sound mixes
// nothing.
int MixLooped(int16_t* out, int count, const int16_t* in, int inCount, int position);
