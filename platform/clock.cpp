#include "platform/clock.h"

#include <time.h>

namespace {
class CSystemClock : public IClock {
public:
    uint32_t Ticks() const override {
        timespec ts;
        clock_gettime(CLOCK_MONOTONIC, &ts);
        const uint64_t ms = uint64_t(ts.tv_sec) * 1000u + uint64_t(ts.tv_nsec) / 1000000u;
        return uint32_t(ms);
    }
};
} // namespace

IClock& SystemClock() {
    static CSystemClock clock;
    return clock;
}
