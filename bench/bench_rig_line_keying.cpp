// The time from a key request (CRigKeying::Key) to the line change, for the CM108 and GPIO
// methods: through the real CM108 code path onto a raw pseudo-terminal standing in for the
// chip's hidraw node (until the output report's five bytes are read at the far end), and
// through a key line that only notes the time it was driven (what the keying object itself
// adds, the same for both methods).

#include "radio/rig_keying.h"

#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <poll.h>
#include <stdlib.h>
#include <termios.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>

namespace {

using Clock = std::chrono::steady_clock;

// A key line that remembers when it was last driven.
class CTimedLine : public IKeyingLine {
public:
    explicit CTimedLine(Clock::time_point& at) : at_(at) {}
    bool Set(bool) override {
        at_ = Clock::now();
        return true;
    }
    bool IsLost() override { return false; }

private:
    Clock::time_point& at_;
};

void KeyToTimedLine(benchmark::State& state, RigKeyingMethod method) {
    Clock::time_point driven;
    RigKeyingOptions options;
    options.linesFactory = [&](const RigSettings&) {
        RigLines lines;
        lines.key = std::make_unique<CTimedLine>(driven);
        return lines;
    };
    CRigKeying rig(options);
    RigSettings s;
    s.keyingMethod = method;
    rig.OpenRigPort(s);
    for (auto _ : state) {
        const Clock::time_point start = Clock::now();
        rig.Key();
        state.SetIterationTime(std::chrono::duration<double>(driven - start).count());
        rig.Unkey();
    }
}

// The master side of a raw pseudo-terminal; its slave stands in for /dev/hidrawN.
struct RawPty {
    RawPty() {
        master = ::posix_openpt(O_RDWR | O_NOCTTY);
        ::grantpt(master);
        ::unlockpt(master);
        slave = ::ptsname(master);
        const int fd = ::open(slave.c_str(), O_RDWR | O_NOCTTY);
        termios t;
        ::tcgetattr(fd, &t);
        ::cfmakeraw(&t);
        ::tcsetattr(fd, TCSANOW, &t);
        ::close(fd);
    }
    ~RawPty() { ::close(master); }
    // Reads one five-byte output report.
    bool ReadReport() {
        uint8_t report[5];
        size_t got = 0;
        while (got < sizeof report) {
            pollfd p{master, POLLIN, 0};
            if (::poll(&p, 1, 2000) <= 0)
                return false;
            const ssize_t n = ::read(master, report + got, sizeof report - got);
            if (n <= 0)
                return false;
            got += size_t(n);
        }
        return true;
    }
    int master;
    std::string slave;
};

void BM_Cm108KeyToReportAtTheNode(benchmark::State& state) {
    RawPty pty;
    CRigKeying rig({});
    RigSettings s;
    s.keyingMethod = RigKeyingMethod::Cm108;
    s.cm108Device = pty.slave;
    rig.OpenRigPort(s);
    if (!rig.IsPortOpen() || !pty.ReadReport() || !pty.ReadReport()) {
        state.SkipWithError("the stand-in node did not open");
        return;
    }
    for (auto _ : state) {
        const Clock::time_point start = Clock::now();
        rig.Key();
        if (!pty.ReadReport()) {
            state.SkipWithError("no report");
            return;
        }
        state.SetIterationTime(std::chrono::duration<double>(Clock::now() - start).count());
        rig.Unkey();
        pty.ReadReport();
    }
}

void BM_Cm108KeyToLine(benchmark::State& state) {
    KeyToTimedLine(state, RigKeyingMethod::Cm108);
}
void BM_GpioKeyToLine(benchmark::State& state) {
    KeyToTimedLine(state, RigKeyingMethod::Gpio);
}

BENCHMARK(BM_Cm108KeyToReportAtTheNode)->UseManualTime()->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_Cm108KeyToLine)->UseManualTime()->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_GpioKeyToLine)->UseManualTime()->Unit(benchmark::kMicrosecond);

} // namespace

BENCHMARK_MAIN();
