#include "audio/mixing.h"

#include <algorithm>

int MixInto(int16_t* out, int count, const int16_t* in, int inCount) {
    const int n = std::max(0, std::min(count, inCount));
    for (int i = 0; i < n; ++i)
        out[i] = int16_t(std::clamp(int(out[i]) + int(in[i]), -32767, 32767));
    return n;
}

int MixLooped(int16_t* out, int count, const int16_t* in, int inCount, int position) {
    if (inCount <= 0)
        return position;
    if (position < 0 || position >= inCount)
        position = 0;
    int done = 0;
    while (done < count) {
        const int n = MixInto(out + done, count - done, in + position, inCount - position);
        done += n;
        position += n;
        if (position == inCount)
            position = 0;
    }
    return position;
}
